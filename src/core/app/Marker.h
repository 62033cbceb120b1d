// The single-instance marker: what the hidden marker window of the running
// process decides when a second start resizes it, what width a second start
// chooses, and the small line protocol the two processes speak over the
// instance socket. No display needed, so all of it is testable directly.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

// The marker window's own caption: the program title plus a fixed tag.
std::string MarkerCaption();
// True when the caption carries the marker tag (ASCII case ignored).
bool CaptionHasMarker(const std::string& caption);

// The texts the two processes show.
extern const char* const kAlreadyRunningText;  // lock held, no marker answered
extern const char* const kBusyRefusalText;     // hand-over while a secondary window is open

// The marker's height and its width before any hand-over. Under 400 pixels,
// so the very first hand-over widens it and counts.
constexpr int kMarkerHeightPx = 52;
constexpr int kMarkerInitialWidthPx = 300;
constexpr float kMarkerTwipsPerPixel = 15;

// The width a second start gives the marker: it always differs from the
// current one, so every hand-over is a real size change.
int HandOverWidth(int currentWidthPx);

// ---- The marker window's resize handler -------------------------------------

struct MarkerState {
  std::string caption = MarkerCaption();
  // Twips, recorded at load and after every resize.
  float lastWidth = kMarkerInitialWidthPx * kMarkerTwipsPerPixel;
  int expectShrink = 0;  // 0: the next hand-over should widen the window
  int ready = 1;         // set when the window loads and when it is activated
  // A command line handed over but not yet opened (its hand-over was refused
  // or ignored); the next accepted hand-over without one of its own uses it.
  std::string keptCommandLine;
};

struct MarkerResizeInput {
  float currentWidth = 0;  // twips
  int busyWindowOpen = 0;
  bool mainWindowLoaded = false;
};

enum class MarkerAction { Ignore, RefuseBusy, OpenWindow };

struct MarkerDecision {
  MarkerAction action = MarkerAction::Ignore;
  // For OpenWindow: the command line the new window opens, when the hand-over
  // brought one (or one was kept); otherwise the process keeps its own.
  std::optional<std::string> commandLine;
};

// One size change of the marker window. Updates the state and says what the
// window has to do. A handed-over command line that is a script or data
// address is dropped: the new window opens as if none had come.
MarkerDecision DecideMarkerResize(MarkerState& state, const MarkerResizeInput& input);

// True for "javascript:", "vbscript:" and "data:" addresses, read as the web
// engine reads an address: blanks and control characters around it and tabs
// and line breaks inside it do not count, nor does the letter case.
bool IsScriptOrDataAddress(const std::string& text);

// ---- Line protocol over the instance socket ---------------------------------
//
// One request per line, one reply line per request, "\n" ended:
//   CAPTION?        -> CAPTION <text>
//   WIDTH?          -> WIDTH <pixels>
//   CAPTION <text>  -> OK
//   WIDTH <pixels>  -> OK, and the session ends (the marker is then resized)
// Anything else gets ERR and the session ends.

constexpr std::size_t kMaxMarkerText = 4096;                 // bytes of caption text
constexpr std::size_t kMaxMarkerLine = kMaxMarkerText + 16;  // bytes of a line, "\n" excluded
constexpr int kMaxMarkerWidth = 99999;

struct MarkerRequest {
  enum Kind { AskCaption, AskWidth, SetCaption, SetWidth } kind = AskCaption;
  std::string text;  // SetCaption
  int width = 0;     // SetWidth
};

struct MarkerReply {
  enum Kind { Caption, Width, Ok, Err } kind = Err;
  std::string text;  // Caption
  int width = 0;     // Width
};

// Encoders give one line with its "\n". Text is made safe for a line: line
// breaks and NULs become blanks and it is cut to kMaxMarkerText bytes at a
// character boundary.
std::string EncodeRequest(const MarkerRequest& request);
std::string EncodeReply(const MarkerReply& reply);
// Decoders take a line without its "\n"; nullopt for anything malformed.
std::optional<MarkerRequest> ParseRequest(const std::string& line);
std::optional<MarkerReply> ParseReply(const std::string& line);

// Gathers received bytes into lines, refusing a line longer than the limit.
// It never holds more than two lines' worth: a peer waits for each reply
// before it sends the next request, so more is not the protocol.
class LineBuffer {
 public:
  explicit LineBuffer(std::size_t maxLine = kMaxMarkerLine) : maxLine_(maxLine) {}
  // False once the buffer overflowed: the peer is not speaking the protocol.
  bool Append(const char* data, std::size_t size);
  std::optional<std::string> NextLine();
  bool HasLine() const;  // a whole line is waiting
  bool Overflowed() const { return overflowed_; }
  std::size_t Buffered() const { return pending_.size(); }
  std::size_t Capacity() const { return 2 * (maxLine_ + 1); }

 private:
  std::size_t maxLine_;
  std::string pending_;
  bool overflowed_ = false;
};

// What the marker side of the socket works on: the window's caption and width.
class MarkerPort {
 public:
  virtual ~MarkerPort() = default;
  virtual std::string MarkerWindowCaption() const = 0;
  virtual void SetMarkerWindowCaption(const std::string& caption) = 0;
  virtual int MarkerWindowWidth() const = 0;  // pixels
  // Resizes the window, which runs its resize handler.
  virtual void ResizeMarkerWindow(int widthPx) = 0;
};

struct ServedLine {
  std::string reply;            // encoded, "\n" ended
  std::optional<int> resizeTo;  // to apply once the reply is sent
  bool endSession = false;
};

// Answers one request line. The caption is written at once; a resize is only
// returned, because its handler may open windows or message boxes and should
// run after the reply has gone out.
ServedLine ServeMarkerLine(const std::string& line, MarkerPort& port);
