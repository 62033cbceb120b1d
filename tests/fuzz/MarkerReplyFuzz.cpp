// The second start's end of the marker protocol: any reply bytes are read
// without harm, a reply read is the reply written, and the width chosen
// from any answer is one of the two hand-over widths.
#include "FuzzSupport.h"
#include "core/app/Marker.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::Cursor in(data, size);
  const std::size_t chunk = 1 + in.Byte() % 64;
  const std::string bytes = in.Rest();
  LineBuffer buffer;
  for (std::size_t at = 0; at < bytes.size(); at += chunk) {
    const std::string part = bytes.substr(at, chunk);
    if (!buffer.Append(part.data(), part.size())) break;
    while (auto line = buffer.NextLine()) {
      const auto reply = ParseReply(*line);
      if (!reply) continue;
      const std::string again = EncodeReply(*reply);
      FUZZ_CHECK(again.find('\n') == again.size() - 1);
      const auto back = ParseReply(again.substr(0, again.size() - 1));
      FUZZ_CHECK(back && back->kind == reply->kind && back->text == reply->text && back->width == reply->width);
      if (reply->kind == MarkerReply::Caption) CaptionHasMarker(reply->text);
      if (reply->kind == MarkerReply::Width) {
        const int w = HandOverWidth(reply->width);
        FUZZ_CHECK(w == 300 || w == 500);
      }
    }
  }
  return 0;
}
