#include "core/app/Marker.h"

#include "core/app/Module1.h"
#include "core/records/Coding.h"

namespace {

constexpr float kMinChangeTwips = 50;  // smaller size changes are not hand-overs

// One line of text: no line breaks or NULs, at most kMaxMarkerText bytes,
// never cut inside a UTF-8 character.
std::string LineSafe(const std::string& text) {
  std::string s = text;
  for (char& c : s)
    if (c == '\n' || c == '\r' || c == '\0') c = ' ';
  if (s.size() > kMaxMarkerText) {
    std::size_t n = kMaxMarkerText;
    while (n > 0 && (static_cast<unsigned char>(s[n]) & 0xC0) == 0x80) --n;
    s.resize(n);
  }
  return s;
}

bool StartsWith(const std::string& s, const char* prefix) { return s.rfind(prefix, 0) == 0; }

// Plain decimal digits only, 1 to 5 of them, within [low, kMaxMarkerWidth].
std::optional<int> ParseWidth(const std::string& digits, int low) {
  if (digits.empty() || digits.size() > 5) return std::nullopt;
  int value = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
  }
  if (value < low || value > kMaxMarkerWidth) return std::nullopt;
  return value;
}

// Line-level checks shared by both decoders.
bool PlausibleLine(const std::string& line) {
  return line.size() <= kMaxMarkerLine && line.find_first_of(std::string("\r\n\0", 3)) == std::string::npos;
}

}  // namespace

const char* const kAlreadyRunningText =
    "Your Browser Is Already Running.. If You\n"
    "Want To Launch A New Browser Window,\n"
    "Click The -Menu- Button. Then On The\n"
    "Menu Click -Launch A New Window-";

const char* const kBusyRefusalText =
    "Can't Launch A New Browser Window While Options, Edit,\n"
    "Open-About, Or App-Message Window Like This Is Open.";

std::string MarkerCaption() { return std::string(kAppTitle) + "Spec Mult Inst Wind - 0023 "; }

bool CaptionHasMarker(const std::string& caption) {
  return coding::ToLower(caption).find(coding::ToLower(MarkerCaption())) != std::string::npos;
}

int HandOverWidth(int currentWidthPx) { return currentWidthPx >= 400 ? 300 : 500; }

MarkerDecision DecideMarkerResize(MarkerState& state, const MarkerResizeInput& input) {
  // A command line written into the caption is set aside at once, so the
  // caption always carries the tag the next second start looks for, even
  // when this hand-over is refused or ignored.
  const std::string marker = MarkerCaption();
  if (state.caption != marker) {
    // Another process may write anything here; it must not run a script or
    // show made-up content in a window of this user's browser.
    state.keptCommandLine = IsScriptOrDataAddress(state.caption) ? std::string() : state.caption;
    state.caption = marker;
  }

  bool counts;
  if (state.expectShrink == 1) {
    counts = state.lastWidth - kMinChangeTwips > input.currentWidth;
    if (counts) state.expectShrink = 0;
  } else {
    counts = state.lastWidth + kMinChangeTwips < input.currentWidth;
    if (counts) state.expectShrink = 1;
  }
  state.lastWidth = input.currentWidth;

  MarkerDecision decision;
  if (!counts || state.ready != 1) return decision;
  if (input.busyWindowOpen != 0) {
    decision.action = MarkerAction::RefuseBusy;
    return decision;
  }
  if (!input.mainWindowLoaded) return decision;
  decision.action = MarkerAction::OpenWindow;
  if (!state.keptCommandLine.empty()) {
    decision.commandLine = state.keptCommandLine;
    state.keptCommandLine.clear();
  }
  return decision;
}

bool IsScriptOrDataAddress(const std::string& text) {
  // The engine drops blanks and control characters at both ends and tabs and
  // line breaks anywhere before it reads the scheme.
  std::size_t begin = 0, end = text.size();
  while (begin < end && static_cast<unsigned char>(text[begin]) <= 0x20) ++begin;
  while (end > begin && static_cast<unsigned char>(text[end - 1]) <= 0x20) --end;
  std::string scheme;
  for (std::size_t i = begin; i < end; ++i) {
    const char c = text[i];
    if (c == '\t' || c == '\n' || c == '\r') continue;
    if (c == ':') {
      scheme = coding::ToLower(scheme);
      return scheme == "javascript" || scheme == "vbscript" || scheme == "data";
    }
    const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
    const bool later = (c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.';
    if (!letter && !(later && !scheme.empty())) return false;  // not a scheme
    if (scheme.size() == 10) return false;                     // longer than any of the three
    scheme += c;
  }
  return false;
}

std::string EncodeRequest(const MarkerRequest& request) {
  switch (request.kind) {
    case MarkerRequest::AskCaption:
      return "CAPTION?\n";
    case MarkerRequest::AskWidth:
      return "WIDTH?\n";
    case MarkerRequest::SetCaption:
      return "CAPTION " + LineSafe(request.text) + "\n";
    case MarkerRequest::SetWidth:
      return "WIDTH " + std::to_string(request.width) + "\n";
  }
  return "\n";
}

std::string EncodeReply(const MarkerReply& reply) {
  switch (reply.kind) {
    case MarkerReply::Caption:
      return "CAPTION " + LineSafe(reply.text) + "\n";
    case MarkerReply::Width:
      return "WIDTH " + std::to_string(reply.width) + "\n";
    case MarkerReply::Ok:
      return "OK\n";
    case MarkerReply::Err:
      return "ERR\n";
  }
  return "ERR\n";
}

std::optional<MarkerRequest> ParseRequest(const std::string& line) {
  if (!PlausibleLine(line)) return std::nullopt;
  MarkerRequest r;
  if (line == "CAPTION?") {
    r.kind = MarkerRequest::AskCaption;
  } else if (line == "WIDTH?") {
    r.kind = MarkerRequest::AskWidth;
  } else if (StartsWith(line, "CAPTION ")) {
    r.kind = MarkerRequest::SetCaption;
    r.text = line.substr(8);
    if (r.text.size() > kMaxMarkerText) return std::nullopt;
  } else if (StartsWith(line, "WIDTH ")) {
    const auto width = ParseWidth(line.substr(6), 1);
    if (!width) return std::nullopt;
    r.kind = MarkerRequest::SetWidth;
    r.width = *width;
  } else {
    return std::nullopt;
  }
  return r;
}

std::optional<MarkerReply> ParseReply(const std::string& line) {
  if (!PlausibleLine(line)) return std::nullopt;
  MarkerReply r;
  if (line == "OK") {
    r.kind = MarkerReply::Ok;
  } else if (line == "ERR") {
    r.kind = MarkerReply::Err;
  } else if (StartsWith(line, "CAPTION ")) {
    r.kind = MarkerReply::Caption;
    r.text = line.substr(8);
    if (r.text.size() > kMaxMarkerText) return std::nullopt;
  } else if (StartsWith(line, "WIDTH ")) {
    const auto width = ParseWidth(line.substr(6), 0);
    if (!width) return std::nullopt;
    r.kind = MarkerReply::Width;
    r.width = *width;
  } else {
    return std::nullopt;
  }
  return r;
}

bool LineBuffer::Append(const char* data, std::size_t size) {
  if (overflowed_) return false;
  if (size > Capacity() - pending_.size()) {
    overflowed_ = true;
    pending_.clear();
    return false;
  }
  pending_.append(data, size);
  // An unfinished line already over the limit can never become valid.
  const std::size_t lastBreak = pending_.rfind('\n');
  const std::size_t tail = lastBreak == std::string::npos ? pending_.size() : pending_.size() - lastBreak - 1;
  if (tail > maxLine_) {
    overflowed_ = true;
    pending_.clear();
  }
  return !overflowed_;
}

bool LineBuffer::HasLine() const { return !overflowed_ && pending_.find('\n') != std::string::npos; }

std::optional<std::string> LineBuffer::NextLine() {
  if (overflowed_) return std::nullopt;
  const std::size_t end = pending_.find('\n');
  if (end == std::string::npos) return std::nullopt;
  if (end > maxLine_) {
    overflowed_ = true;
    pending_.clear();
    return std::nullopt;
  }
  std::string line = pending_.substr(0, end);
  pending_.erase(0, end + 1);
  return line;
}

ServedLine ServeMarkerLine(const std::string& line, MarkerPort& port) {
  ServedLine served;
  const auto request = ParseRequest(line);
  MarkerReply reply;
  if (!request) {
    reply.kind = MarkerReply::Err;
    served.endSession = true;
  } else {
    switch (request->kind) {
      case MarkerRequest::AskCaption:
        reply.kind = MarkerReply::Caption;
        reply.text = port.MarkerWindowCaption();
        break;
      case MarkerRequest::AskWidth:
        reply.kind = MarkerReply::Width;
        reply.width = port.MarkerWindowWidth();
        break;
      case MarkerRequest::SetCaption:
        port.SetMarkerWindowCaption(request->text);
        reply.kind = MarkerReply::Ok;
        break;
      case MarkerRequest::SetWidth:
        reply.kind = MarkerReply::Ok;
        served.resizeTo = request->width;
        served.endSession = true;
        break;
    }
  }
  served.reply = EncodeReply(reply);
  return served;
}
