// The single-instance marker without a display: the resize handler's
// decisions, the second start's width and the socket's line protocol.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "core/app/Marker.h"

namespace {

constexpr float kPx = kMarkerTwipsPerPixel;

// ---- Finding the marker and choosing the width -----------------------------

TEST(MarkerCaption, FoundByTagWithCaseIgnoredAnywhereInTheCaption) {
  EXPECT_TRUE(CaptionHasMarker("x SKELVORNAXSPEC MULT INST WIND - 0023 y"));
  EXPECT_FALSE(CaptionHasMarker("skelvornaxSpec Mult Inst Wind - 0023"));  // the trailing blank belongs to it
  EXPECT_FALSE(CaptionHasMarker("/home/me/page.htm"));
}

TEST(MarkerWidth, AlternatesAroundFourHundredPixels) {
  EXPECT_EQ(HandOverWidth(kMarkerInitialWidthPx), 500);  // the first hand-over widens
  EXPECT_EQ(HandOverWidth(399), 500);
  EXPECT_EQ(HandOverWidth(400), 300);
}

// ---- The resize handler -----------------------------------------------------

// Second starts one after the other on one marker, each resizing it to the
// width it chose, some of them writing a command line into the caption first.
TEST(MarkerResize, SecondStartsInTurn) {
  enum Hindrance { Busy = 1, NoMainWindow = 2, NotReady = 4 };
  struct Step {
    const char* name;
    const char* caption;  // null: the start brought no command line
    int widthPx;
    int hindrances;  // what stands in the way of a new window
    MarkerAction action;
    std::optional<std::string> commandLine;
  };
  const MarkerAction Open = MarkerAction::OpenWindow, Ignore = MarkerAction::Ignore;
  const Step steps[] = {
      {"FirstWidensFromTheInitialWidth", "/tmp/a b/page.htm", 500, 0, Open, "/tmp/a b/page.htm"},
      {"WithoutArgumentsKeepsTheOwnCommandLine", nullptr, 300, 0, Open, std::nullopt},
      {"RefusedWhileBusy", "/tmp/kept.htm", 500, Busy, MarkerAction::RefuseBusy, std::nullopt},
      {"NoMainWindowDoesNothing", nullptr, 300, NoMainWindow, Ignore, std::nullopt},
      {"NotReadyDoesNothing", nullptr, 500, NotReady, Ignore, std::nullopt},
      {"NextStartOpensTheKeptCommandLine", nullptr, 300, 0, Open, "/tmp/kept.htm"},
      {"KeptCommandLineIsUsedOnce", nullptr, 500, 0, Open, std::nullopt},
      {"RefusedAgain", "/tmp/old.htm", 300, Busy, MarkerAction::RefuseBusy, std::nullopt},
      {"NewCommandLineReplacesAKeptOne", "/tmp/new.htm", 500, 0, Open, "/tmp/new.htm"},
      {"UnexpectedDirectionIsIgnored", nullptr, 600, 0, Ignore, std::nullopt},
      {"TheIgnoredWidthIsTheNextStartingPoint", nullptr, 500, 0, Open, std::nullopt},
  };
  MarkerState s;
  for (const Step& step : steps) {
    SCOPED_TRACE(step.name);
    if (step.caption) s.caption = step.caption;
    s.ready = (step.hindrances & NotReady) ? 0 : 1;
    MarkerResizeInput in;
    in.currentWidth = static_cast<float>(step.widthPx) * kPx;
    in.busyWindowOpen = (step.hindrances & Busy) ? 1 : 0;
    in.mainWindowLoaded = !(step.hindrances & NoMainWindow);
    const MarkerDecision d = DecideMarkerResize(s, in);
    EXPECT_EQ(d.action, step.action);
    EXPECT_EQ(d.commandLine, step.commandLine);
    EXPECT_EQ(s.caption, MarkerCaption());  // the next second start finds it again
  }
}

TEST(MarkerResize, FiftyTwipsOrLessIsNotAHandOver) {
  MarkerState s;
  s.lastWidth = 4500;
  MarkerResizeInput in;
  in.mainWindowLoaded = true;
  in.currentWidth = 4550;  // exactly 50 wider
  EXPECT_EQ(DecideMarkerResize(s, in).action, MarkerAction::Ignore);
  in.currentWidth = 4601;  // 51 wider than the width recorded last
  EXPECT_EQ(DecideMarkerResize(s, in).action, MarkerAction::OpenWindow);
  in.currentWidth = 4551;  // 50 narrower
  EXPECT_EQ(DecideMarkerResize(s, in).action, MarkerAction::Ignore);
}

// What another process hands over must not run a script or make up a page
// in a window: such an address is dropped, refused or not.
TEST(MarkerResize, ScriptAndDataAddressesFromAnotherProcessAreDropped) {
  MarkerState s;
  MarkerResizeInput in;
  in.mainWindowLoaded = true;
  s.caption = "/tmp/kept.htm";
  in.busyWindowOpen = 1;
  in.currentWidth = 500 * kPx;
  EXPECT_EQ(DecideMarkerResize(s, in).action, MarkerAction::RefuseBusy);
  s.caption = " JavaScript:alert(document.cookie)";  // replaces what was kept
  in.busyWindowOpen = 0;
  in.currentWidth = 300 * kPx;
  MarkerDecision d = DecideMarkerResize(s, in);
  EXPECT_EQ(d.action, MarkerAction::OpenWindow);  // the window opens, on the start page
  EXPECT_EQ(d.commandLine, std::nullopt);
  s.caption = "data:text/html,<script>alert(1)</script>";
  in.currentWidth = 500 * kPx;
  d = DecideMarkerResize(s, in);
  EXPECT_EQ(d.commandLine, std::nullopt);
  EXPECT_EQ(s.keptCommandLine, "");
  EXPECT_EQ(s.caption, MarkerCaption());
}

TEST(MarkerAddress, ScriptAndDataSchemesAsTheEngineReadsThem) {
  struct Row {
    const char* name;
    std::string text;
    bool refused;
  };
  const Row rows[] = {
      {"Script", "javascript:alert(1)", true},
      {"CaseIgnored", "JaVaScRiPt:alert(1)", true},
      {"BlanksAndControlsAround", std::string("\x01 \x1f javascript:x\x02 ", 18), true},
      {"TabAndLineBreaksInside", "java\tscr\nipt:x", true},
      {"Data", "data:text/html;base64,PHNjcmlwdD4=", true},
      {"DataUpper", "DATA:,x", true},
      {"OtherScript", "vbscript:msgbox(1)", true},
      {"Web", "http://example.org/javascript:x", false},
      {"LocalFile", "/home/me/javascript:notes.htm", false},
      {"FileAddress", "file:///tmp/data:x.htm", false},
      {"SchemeWithMore", "javascripts:x", false},
      {"SchemeWithLess", "ata:x", false},
      {"DigitFirst", "1data:x", false},
      {"BlankInsideTheScheme", "java script:x", false},
      {"NoColon", "javascript", false},
      {"Empty", "", false},
      {"PercentEncoded", "%6Aavascript:x", false},
  };
  for (const Row& row : rows) EXPECT_EQ(IsScriptOrDataAddress(row.text), row.refused) << row.name;
}

// ---- Protocol -----------------------------------------------------------------

TEST(MarkerProtocol, RequestsAndRepliesSurviveTheirEncoding) {
  const auto roundTrip = [](const auto& sent, const std::string& line, const auto& back) {
    ASSERT_EQ(line.back(), '\n');
    ASSERT_TRUE(back) << line;
    EXPECT_EQ(back->kind, sent.kind);
    EXPECT_EQ(back->text, sent.text);
    EXPECT_EQ(back->width, sent.width);
  };
  for (const MarkerRequest& r : std::vector<MarkerRequest>{{MarkerRequest::AskCaption, "", 0},
                                                           {MarkerRequest::AskWidth, "", 0},
                                                           {MarkerRequest::SetCaption, "/tmp/a b/ü.htm", 0},
                                                           {MarkerRequest::SetCaption, "", 0},
                                                           {MarkerRequest::SetWidth, "", 500}}) {
    const std::string line = EncodeRequest(r);
    roundTrip(r, line, ParseRequest(line.substr(0, line.size() - 1)));
  }
  for (const MarkerReply& r : std::vector<MarkerReply>{{MarkerReply::Caption, MarkerCaption(), 0},
                                                       {MarkerReply::Width, "", 300},
                                                       {MarkerReply::Width, "", 0},
                                                       {MarkerReply::Ok, "", 0},
                                                       {MarkerReply::Err, "", 0}}) {
    const std::string line = EncodeReply(r);
    roundTrip(r, line, ParseReply(line.substr(0, line.size() - 1)));
  }
}

TEST(MarkerProtocol, CaptionTextIsMadeSafeForOneLine) {
  struct Row {
    const char* name;
    std::string text, arrives;
  };
  const Row rows[] = {
      {"LineBreaksAndNulCannotSmuggleASecondRequest", std::string("/tmp/a\nWIDTH 5\r\0x", 17), "/tmp/a WIDTH 5  x"},
      {"OverlongCutAtACharacterBoundary", std::string(kMaxMarkerText - 1, 'a') + "\xc3\xa9" + "tail",
       std::string(kMaxMarkerText - 1, 'a')},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const std::string line = EncodeRequest({MarkerRequest::SetCaption, row.text, 0});
    EXPECT_EQ(line.find('\n'), line.size() - 1);
    const auto back = ParseRequest(line.substr(0, line.size() - 1));
    ASSERT_TRUE(back);
    EXPECT_EQ(back->text, row.arrives);
  }
}

TEST(MarkerProtocol, GarbageRequestsAreRefused) {
  const std::vector<std::pair<const char*, std::string>> rows = {
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
  };
  for (const auto& [name, line] : rows) EXPECT_FALSE(ParseRequest(line)) << name;
  EXPECT_FALSE(ParseReply("WIDTH x"));
  EXPECT_FALSE(ParseReply("OKAY"));
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
}

TEST(MarkerLineBuffer, RefusesALineOverTheLimitEvenBeforeItEnds) {
  LineBuffer b(8);
  ASSERT_TRUE(b.Append("12345678\n", 9));  // exactly the limit
  EXPECT_EQ(b.NextLine(), std::optional<std::string>("12345678"));
  ASSERT_TRUE(b.Append("12345678", 8));
  EXPECT_FALSE(b.Append("9", 1));  // no line break in sight
  EXPECT_FALSE(b.Append("\n", 1));
  EXPECT_EQ(b.NextLine(), std::nullopt);

  LineBuffer c(8);
  ASSERT_TRUE(c.Append("123456789\nok\n", 13));  // an overlong line already ended
  EXPECT_EQ(c.NextLine(), std::nullopt);
  EXPECT_TRUE(c.Overflowed());
}

// A peer that never ends a line, or sends request after request without
// waiting for the replies, cannot make the buffer grow.
TEST(MarkerLineBuffer, NeverHoldsMoreThanTwoLinesWorth) {
  LineBuffer endless;
  const std::string chunk(1024, 'x');
  std::size_t fed = 0, most = 0;
  while (fed < (10u << 20) && endless.Append(chunk.data(), chunk.size())) {
    fed += chunk.size();
    most = std::max(most, endless.Buffered());
  }
  EXPECT_TRUE(endless.Overflowed());
  EXPECT_LE(most, endless.Capacity());
  EXPECT_LE(fed, kMaxMarkerLine + chunk.size());

  LineBuffer flood(8);
  std::size_t lines = 0;
  while (flood.Append("CAPTION?\n", 9)) ++lines;  // never collected
  EXPECT_EQ(lines, flood.Capacity() / 9);
  EXPECT_FALSE(flood.HasLine());
  EXPECT_EQ(flood.NextLine(), std::nullopt);
}

// ---- Serving a line ---------------------------------------------------------

class RecordingPort : public MarkerPort {
 public:
  std::string MarkerWindowCaption() const override { return caption; }
  void SetMarkerWindowCaption(const std::string& c) override { caption = c; }
  int MarkerWindowWidth() const override { return kMarkerInitialWidthPx; }
  void ResizeMarkerWindow(int w) override { resizes.push_back(w); }
  std::string caption = MarkerCaption();
  std::vector<int> resizes;
};

TEST(MarkerServe, AnswersQueriesWritesCaptionAndDefersTheResize) {
  RecordingPort port;
  ServedLine s = ServeMarkerLine("CAPTION", port);
  EXPECT_EQ(s.reply, "ERR\n");
  EXPECT_TRUE(s.endSession);
  EXPECT_EQ(port.caption, MarkerCaption());  // garbage leaves the marker alone
  s = ServeMarkerLine("CAPTION?", port);
  EXPECT_EQ(s.reply, "CAPTION " + MarkerCaption() + "\n");
  EXPECT_FALSE(s.endSession);
  EXPECT_EQ(ServeMarkerLine("WIDTH?", port).reply, "WIDTH 300\n");
  EXPECT_EQ(ServeMarkerLine("CAPTION /tmp/p.htm", port).reply, "OK\n");
  EXPECT_EQ(port.caption, "/tmp/p.htm");
  s = ServeMarkerLine("WIDTH 500", port);
  EXPECT_EQ(s.reply, "OK\n");
  EXPECT_EQ(s.resizeTo, std::optional<int>(500));
  EXPECT_TRUE(s.endSession);
  EXPECT_TRUE(port.resizes.empty());  // the caller resizes after replying
}

}  // namespace
