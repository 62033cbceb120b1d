// The settings record: any bytes decode, the record read and written back
// is stable, the file reader agrees, and the load rules leave sizes a
// window can use.
#include <cmath>

#include "FuzzSupport.h"
#include "core/app/SettingsRecord.h"

namespace {

bool Usable(float twips) { return std::isfinite(twips) && std::fabs(twips) < 1e9f; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const RecordBytes bytes(data, data + size);
  Settings s = DecodeSettings(bytes);
  const RecordBytes once = EncodeSettings(s);
  FUZZ_CHECK(once.size() == settings_layout::kRecordSize);
  FUZZ_CHECK(EncodeSettings(DecodeSettings(once)) == once);

  const auto loaded = LoadSettings(fuzz::ScratchFile("skelvorn.ini", data, size));
  FUZZ_CHECK(loaded && EncodeSettings(*loaded) == once);

  LoadContext ctx;
  ctx.today = 46361;
  ApplyLoadRules(s, ctx);
  ApplyListFontRules(s, {"DejaVu Sans", "Verdana"});
  FUZZ_CHECK(Usable(s.MainLeft) && Usable(s.MainTop) && Usable(s.MainWidth) && Usable(s.MainHeight));
  FUZZ_CHECK(Usable(s.EditorWidth) && Usable(s.EditorHeight));
  FUZZ_CHECK(std::isfinite(s.ListFontSize) && s.ListFontSize >= 2 && s.ListFontSize <= 10000);
  FUZZ_CHECK(s.RefreshMinutes >= 1 && s.RefreshMinutes <= 10080);
  return 0;
}
