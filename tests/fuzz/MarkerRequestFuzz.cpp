// The running process's end of the marker protocol: bytes arrive in chunks
// of any size; every line is answered with a reply the other end can read,
// a request read is the request written, and nothing grows without bound.
#include "FuzzSupport.h"
#include "core/app/Marker.h"

namespace {

class Port : public MarkerPort {
 public:
  std::string MarkerWindowCaption() const override { return caption; }
  void SetMarkerWindowCaption(const std::string& c) override { caption = c; }
  int MarkerWindowWidth() const override { return width; }
  void ResizeMarkerWindow(int w) override { width = w; }
  std::string caption = MarkerCaption();
  int width = kMarkerInitialWidthPx;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::Cursor in(data, size);
  const std::size_t chunk = 1 + in.Byte() % 64;
  const std::string bytes = in.Rest();
  LineBuffer buffer;
  Port port;
  MarkerState state;
  bool ended = false;
  for (std::size_t at = 0; at < bytes.size() && !ended; at += chunk) {
    const std::string part = bytes.substr(at, chunk);
    const bool ok = buffer.Append(part.data(), part.size());
    FUZZ_CHECK(buffer.Buffered() <= buffer.Capacity());
    FUZZ_CHECK(ok != buffer.Overflowed());
    while (auto line = buffer.NextLine()) {
      FUZZ_CHECK(line->size() <= kMaxMarkerLine);
      if (const auto request = ParseRequest(*line)) {
        const std::string again = EncodeRequest(*request);
        const auto back = ParseRequest(again.substr(0, again.size() - 1));
        FUZZ_CHECK(back && back->kind == request->kind && back->text == request->text && back->width == request->width);
      }
      const ServedLine served = ServeMarkerLine(*line, port);
      FUZZ_CHECK(!served.reply.empty() && served.reply.back() == '\n');
      FUZZ_CHECK(ParseReply(served.reply.substr(0, served.reply.size() - 1)).has_value());
      if (served.resizeTo) {
        // What the marker window then decides about the caption it was given.
        state.caption = port.caption;
        MarkerResizeInput input;
        input.currentWidth = static_cast<float>(*served.resizeTo) * kMarkerTwipsPerPixel;
        input.mainWindowLoaded = true;
        const MarkerDecision d = DecideMarkerResize(state, input);
        if (d.commandLine) FUZZ_CHECK(!IsScriptOrDataAddress(*d.commandLine));
        FUZZ_CHECK(CaptionHasMarker(state.caption));
        port.caption = state.caption;
      }
      if (served.endSession) ended = true;
      if (ended) break;
    }
  }
  return 0;
}
