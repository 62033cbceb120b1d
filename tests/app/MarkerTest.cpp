// The single-instance marker without a display: the resize handler's
// decisions, the second start's width and the socket's line protocol.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/Marker.h"

namespace {

constexpr float kPx = kMarkerTwipsPerPixel;

// ---- Finding the marker and choosing the width -----------------------------

TEST(MarkerCaption, FoundByTagWithCaseIgnoredAnywhereInTheCaption) {
  EXPECT_TRUE(CaptionHasMarker(MarkerCaption()));
  EXPECT_TRUE(CaptionHasMarker("SKELVORNAXSPEC MULT INST WIND - 0023 "));
  EXPECT_TRUE(CaptionHasMarker("x skelvornaxSpec Mult Inst Wind - 0023 y"));
  EXPECT_FALSE(CaptionHasMarker("skelvornaxSpec Mult Inst Wind - 0023"));  // the trailing blank belongs to it
  EXPECT_FALSE(CaptionHasMarker("/home/me/page.htm"));
  EXPECT_FALSE(CaptionHasMarker(""));
}

TEST(MarkerWidth, AlternatesAroundFourHundredPixels) {
  EXPECT_EQ(HandOverWidth(kMarkerInitialWidthPx), 500);  // the first hand-over widens
  EXPECT_EQ(HandOverWidth(399), 500);
  EXPECT_EQ(HandOverWidth(400), 300);
  EXPECT_EQ(HandOverWidth(500), 300);
  EXPECT_EQ(HandOverWidth(0), 500);
}

// ---- The resize handler -----------------------------------------------------

MarkerResizeInput Resize(int widthPx, int busy = 0, bool mainWindow = true) {
  MarkerResizeInput in;
  in.currentWidth = static_cast<float>(widthPx) * kPx;
  in.busyWindowOpen = busy;
  in.mainWindowLoaded = mainWindow;
  return in;
}

TEST(MarkerResize, SecondStartsFromTheInitialWidthAllCount) {
  MarkerState s;
  int width = kMarkerInitialWidthPx;
  for (int i = 0; i < 5; ++i) {
    width = HandOverWidth(width);
    EXPECT_EQ(DecideMarkerResize(s, Resize(width)).action, MarkerAction::OpenWindow) << "hand-over " << i;
  }
}

TEST(MarkerResize, FiftyTwipsOrLessIsNotAHandOver) {
  MarkerState s;
  s.lastWidth = 4500;
  MarkerResizeInput in;
  in.mainWindowLoaded = true;
  in.currentWidth = 4550;  // exactly 50 wider
  EXPECT_EQ(DecideMarkerResize(s, in).action, MarkerAction::Ignore);
  EXPECT_EQ(s.expectShrink, 0);
  EXPECT_EQ(s.lastWidth, 4550);  // recorded all the same
  in.currentWidth = 4601;        // 51 wider than the recorded width
  EXPECT_EQ(DecideMarkerResize(s, in).action, MarkerAction::OpenWindow);
  EXPECT_EQ(s.expectShrink, 1);
  in.currentWidth = 4551;  // 50 narrower
  EXPECT_EQ(DecideMarkerResize(s, in).action, MarkerAction::Ignore);
  EXPECT_EQ(s.expectShrink, 1);
}

TEST(MarkerResize, ChangeInTheUnexpectedDirectionIsIgnoredButRecorded) {
  MarkerState s;  // expects a widening
  s.lastWidth = 500 * kPx;
  EXPECT_EQ(DecideMarkerResize(s, Resize(300)).action, MarkerAction::Ignore);
  EXPECT_EQ(s.expectShrink, 0);
  EXPECT_EQ(s.lastWidth, 300 * kPx);
  // A marker that started at 400 px or more thus only takes the second start.
  EXPECT_EQ(DecideMarkerResize(s, Resize(500)).action, MarkerAction::OpenWindow);
}

TEST(MarkerResize, NotReadyTogglesButDoesNothing) {
  MarkerState s;
  s.ready = 0;
  s.caption = "/tmp/page.htm";
  EXPECT_EQ(DecideMarkerResize(s, Resize(500)).action, MarkerAction::Ignore);
  EXPECT_EQ(s.expectShrink, 1);  // the next second start shrinks it, as expected
  s.ready = 1;
  const MarkerDecision d = DecideMarkerResize(s, Resize(300));
  EXPECT_EQ(d.action, MarkerAction::OpenWindow);
  EXPECT_EQ(d.commandLine, std::optional<std::string>("/tmp/page.htm"));
}

TEST(MarkerResize, HandedOverCommandLineGoesToTheNewWindowAndCaptionIsRestored) {
  MarkerState s;
  s.caption = "/tmp/a b/page.htm";
  const MarkerDecision d = DecideMarkerResize(s, Resize(500));
  EXPECT_EQ(d.action, MarkerAction::OpenWindow);
  EXPECT_EQ(d.commandLine, std::optional<std::string>("/tmp/a b/page.htm"));
  EXPECT_EQ(s.caption, MarkerCaption());
  // A start without arguments leaves the process's own command line alone.
  EXPECT_EQ(DecideMarkerResize(s, Resize(300)).commandLine, std::nullopt);
}

TEST(MarkerResize, RefusedWhileBusyKeepsTheCommandLineForTheNextAcceptedHandOver) {
  MarkerState s;
  s.caption = "/tmp/kept.htm";
  EXPECT_EQ(DecideMarkerResize(s, Resize(500, /*busy=*/1)).action, MarkerAction::RefuseBusy);
  // The marker stays findable for the next second start.
  EXPECT_TRUE(CaptionHasMarker(s.caption));
  // The next start brings no address: the kept one opens, once.
  MarkerDecision d = DecideMarkerResize(s, Resize(300));
  EXPECT_EQ(d.action, MarkerAction::OpenWindow);
  EXPECT_EQ(d.commandLine, std::optional<std::string>("/tmp/kept.htm"));
  d = DecideMarkerResize(s, Resize(500));
  EXPECT_EQ(d.commandLine, std::nullopt);
}

TEST(MarkerResize, NewAddressReplacesAKeptOne) {
  MarkerState s;
  s.caption = "/tmp/old.htm";
  EXPECT_EQ(DecideMarkerResize(s, Resize(500, 1)).action, MarkerAction::RefuseBusy);
  s.caption = "/tmp/new.htm";
  EXPECT_EQ(DecideMarkerResize(s, Resize(300)).commandLine, std::optional<std::string>("/tmp/new.htm"));
}

TEST(MarkerResize, NoMainWindowDoesNothingAndKeepsTheAddress) {
  MarkerState s;
  s.caption = "/tmp/page.htm";
  EXPECT_EQ(DecideMarkerResize(s, Resize(500, 0, /*mainWindow=*/false)).action, MarkerAction::Ignore);
  EXPECT_EQ(s.keptCommandLine, "/tmp/page.htm");
}

// ---- Protocol -----------------------------------------------------------------

TEST(MarkerProtocol, RequestsAndRepliesSurviveTheirEncoding) {
  for (const MarkerRequest& r : std::vector<MarkerRequest>{{MarkerRequest::AskCaption, "", 0},
                                                           {MarkerRequest::AskWidth, "", 0},
                                                           {MarkerRequest::SetCaption, "/tmp/a b/ü.htm", 0},
                                                           {MarkerRequest::SetCaption, "", 0},
                                                           {MarkerRequest::SetWidth, "", 500}}) {
    const std::string line = EncodeRequest(r);
    ASSERT_EQ(line.back(), '\n');
    const auto back = ParseRequest(line.substr(0, line.size() - 1));
    ASSERT_TRUE(back) << line;
    EXPECT_EQ(back->kind, r.kind);
    EXPECT_EQ(back->text, r.text);
    EXPECT_EQ(back->width, r.width);
  }
  for (const MarkerReply& r : std::vector<MarkerReply>{{MarkerReply::Caption, MarkerCaption(), 0},
                                                       {MarkerReply::Width, "", 300},
                                                       {MarkerReply::Width, "", 0},
                                                       {MarkerReply::Ok, "", 0},
                                                       {MarkerReply::Err, "", 0}}) {
    const std::string line = EncodeReply(r);
    const auto back = ParseReply(line.substr(0, line.size() - 1));
    ASSERT_TRUE(back) << line;
    EXPECT_EQ(back->kind, r.kind);
    EXPECT_EQ(back->text, r.text);
    EXPECT_EQ(back->width, r.width);
  }
}

TEST(MarkerProtocol, CommandLineCannotSmuggleASecondRequest) {
  MarkerRequest r;
  r.kind = MarkerRequest::SetCaption;
  r.text = std::string("/tmp/a\nWIDTH 5\r\0x", 17);
  const std::string line = EncodeRequest(r);
  EXPECT_EQ(line.find('\n'), line.size() - 1);
  const auto back = ParseRequest(line.substr(0, line.size() - 1));
  ASSERT_TRUE(back);
  EXPECT_EQ(back->text, std::string("/tmp/a WIDTH 5  x"));
}

TEST(MarkerProtocol, OverlongTextIsCutAtACharacterBoundary) {
  MarkerRequest r;
  r.kind = MarkerRequest::SetCaption;
  r.text = std::string(kMaxMarkerText - 1, 'a') + "\xc3\xa9" + "tail";  // é straddles the limit
  const std::string line = EncodeRequest(r);
  const auto back = ParseRequest(line.substr(0, line.size() - 1));
  ASSERT_TRUE(back);
  EXPECT_EQ(back->text, std::string(kMaxMarkerText - 1, 'a'));
}

struct BadLine {
  const char* name;
  std::string line;
};

TEST(MarkerProtocol, GarbageRequestsAreRefused) {
  const std::vector<BadLine> rows = {
      {"empty", ""},
      {"bare CAPTION", "CAPTION"},
      {"lower case", "caption?"},
      {"unknown verb", "HELLO"},
      {"width without number", "WIDTH "},
      {"negative width", "WIDTH -5"},
      {"zero width", "WIDTH 0"},
      {"six digits", "WIDTH 123456"},
      {"signed", "WIDTH +500"},
      {"trailing junk", "WIDTH 12a"},
      {"space after number", "WIDTH 500 "},
      {"carriage return", "CAPTION?\r"},
      {"NUL inside", std::string("CAPTION a\0b", 11)},
      {"overlong caption", "CAPTION " + std::string(kMaxMarkerText + 1, 'x')},
      {"binary", "\xff\xfe\x01\x02"},
  };
  for (const auto& row : rows) EXPECT_FALSE(ParseRequest(row.line)) << row.name;
  EXPECT_FALSE(ParseReply("WIDTH x"));
  EXPECT_FALSE(ParseReply("OKAY"));
  EXPECT_FALSE(ParseReply("CAPTION"));
}

TEST(MarkerLineBuffer, SplitsChunksIntoLines) {
  LineBuffer b;
  const std::string data = "CAPTION?\nWIDTH?\nWID";
  ASSERT_TRUE(b.Append(data.data(), data.size()));
  EXPECT_EQ(b.NextLine(), std::optional<std::string>("CAPTION?"));
  EXPECT_EQ(b.NextLine(), std::optional<std::string>("WIDTH?"));
  EXPECT_EQ(b.NextLine(), std::nullopt);
  ASSERT_TRUE(b.Append("TH 5\n", 5));
  EXPECT_EQ(b.NextLine(), std::optional<std::string>("WIDTH 5"));
  EXPECT_EQ(b.NextLine(), std::nullopt);
}

TEST(MarkerLineBuffer, RefusesALineOverTheLimitEvenBeforeItEnds) {
  LineBuffer b(8);
  ASSERT_TRUE(b.Append("12345678\n", 9));  // exactly the limit
  EXPECT_EQ(b.NextLine(), std::optional<std::string>("12345678"));
  ASSERT_TRUE(b.Append("12345678", 8));
  EXPECT_FALSE(b.Append("9", 1));  // no line break in sight
  EXPECT_TRUE(b.Overflowed());
  EXPECT_FALSE(b.Append("\n", 1));
  EXPECT_EQ(b.NextLine(), std::nullopt);

  LineBuffer c(8);
  ASSERT_TRUE(c.Append("123456789\nok\n", 13));  // an overlong line already ended
  EXPECT_EQ(c.NextLine(), std::nullopt);
  EXPECT_TRUE(c.Overflowed());
}

// ---- Serving a line ---------------------------------------------------------

class RecordingPort : public MarkerPort {
 public:
  std::string MarkerWindowCaption() const override { return caption; }
  void SetMarkerWindowCaption(const std::string& c) override { caption = c; }
  int MarkerWindowWidth() const override { return width; }
  void ResizeMarkerWindow(int w) override { resizes.push_back(w); }
  std::string caption = MarkerCaption();
  int width = kMarkerInitialWidthPx;
  std::vector<int> resizes;
};

TEST(MarkerServe, AnswersQueriesWritesCaptionAndDefersTheResize) {
  RecordingPort port;
  ServedLine s = ServeMarkerLine("CAPTION?", port);
  EXPECT_EQ(s.reply, "CAPTION " + MarkerCaption() + "\n");
  EXPECT_FALSE(s.endSession);
  s = ServeMarkerLine("WIDTH?", port);
  EXPECT_EQ(s.reply, "WIDTH 300\n");
  s = ServeMarkerLine("CAPTION /tmp/p.htm", port);
  EXPECT_EQ(s.reply, "OK\n");
  EXPECT_EQ(port.caption, "/tmp/p.htm");
  s = ServeMarkerLine("WIDTH 500", port);
  EXPECT_EQ(s.reply, "OK\n");
  EXPECT_EQ(s.resizeTo, std::optional<int>(500));
  EXPECT_TRUE(s.endSession);
  EXPECT_TRUE(port.resizes.empty());  // the caller resizes after replying
}

TEST(MarkerServe, GarbageEndsTheSessionWithoutTouchingTheMarker) {
  RecordingPort port;
  const ServedLine s = ServeMarkerLine("CAPTION", port);
  EXPECT_EQ(s.reply, "ERR\n");
  EXPECT_TRUE(s.endSession);
  EXPECT_EQ(s.resizeTo, std::nullopt);
  EXPECT_EQ(port.caption, MarkerCaption());
}

}  // namespace
