#include <gtest/gtest.h>

#include <filesystem>
#include <limits>
#include <tuple>

#include "core/app/SettingsRecord.h"
#include "support/Corruption.h"
#include "support/TestDirs.h"

namespace {

using Bytes = std::vector<unsigned char>;

// Little-endian by hand; floats and doubles are given as their bit patterns.
void Le(Bytes& b, std::size_t off, uint64_t v, int width) {
  for (int i = 0; i < width; ++i) b[off + i] = static_cast<unsigned char>(v >> (8 * i));
}
void LayText(Bytes& b, std::size_t off, std::size_t width, const std::string& text) {
  for (std::size_t i = 0; i < width; ++i) b[off + i] = i < text.size() ? static_cast<unsigned char>(text[i]) : ' ';
}
Bytes At(const Bytes& b, std::size_t off, std::size_t n) { return Bytes(b.begin() + off, b.begin() + off + n); }

}  // namespace

TEST(SettingsRecord, DecodesHandLaidRecord) {
  Bytes r(1696, 0);
  Le(r, 0, 0x44960000, 4);  // MainLeft 1200
  Le(r, 28, 55555, 4);
  LayText(r, 32, 300, "/home/u/start.htm");
  Le(r, 336, 1, 2);
  LayText(r, 338, 128, "Verdana");
  Le(r, 466, 0xFFFF, 2);
  Le(r, 496, 0x40E6A33000000000, 8);  // 46361.5
  Le(r, 512, 0x0B39, 2);
  Le(r, 520, 0xFFFFFFFD, 4);
  LayText(r, 1372, 256, "Caf\xE9");
  Le(r, 1652, 0x45BB8000, 4);                                                                 // SelColWidth 2 = 6000
  Le(r, 1692, 0x41000000, 4);                                                                 // DontKillLayout 4 = 8
  for (std::size_t i = 0; i < 248; ++i) r[524 + i] = static_cast<unsigned char>(i * 37 + 1);  // reserved
  for (std::size_t off : {332u, 1644u, 1664u}) Le(r, off, 0x84FF0201, 4);                     // reserved
  const Settings s = DecodeSettings(r);
  EXPECT_EQ(s.MainLeft, 1200.0f);
  EXPECT_EQ(s.InstallMarker, 55555);
  EXPECT_EQ(s.StartPage, "/home/u/start.htm");
  EXPECT_EQ(s.SkipSecurePages, 1);
  EXPECT_EQ(s.ListFontName, "Verdana");
  EXPECT_TRUE(s.ListFontBold);
  EXPECT_EQ(s.LastBackupDate, 46361.5);
  EXPECT_EQ(s.RefreshMinutes, 2873);
  EXPECT_EQ(s.HistoryDays, -3);
  EXPECT_EQ(s.MailName, "Caf\xC3\xA9");
  EXPECT_EQ(s.SelColWidth, (std::array<float, 4>{0, 6000, 0, 0}));
  EXPECT_EQ(s.DontKillLayout[3], 8.0f);
  const Bytes back = EncodeSettings(s);  // reserved bytes are carried through unchanged
  for (std::size_t off : {524u, 332u, 1644u, 1664u}) EXPECT_EQ(At(back, off, 4), At(r, off, 4)) << off;
  EXPECT_EQ(At(back, 524, 248), At(r, 524, 248));
}

TEST(SettingsRecord, EncodesFieldsAtTheirOffsetsAndLeavesHolesZero) {
  Settings s;
  s.MainHeight = 5445;
  s.InstallMarker = s.HistoryDays = s.PanelColor = -1;
  s.SeparateSelectors = s.HideControlsMode = s.StoreDupUrls = s.HistShowTime = -1;
  s.SkipSecurePages = 1;
  s.ListFontName = std::string(129, 'x');
  s.ListFontBold = true;
  s.LastBackupDate = 46361.5;
  s.MailName = "Caf\xC3\xA9 \xE6\x97\xA5";  // "Café 日"
  s.DontKillLayout = {-1, -1, -1, -1};
  const Bytes r = EncodeSettings(s);
  ASSERT_EQ(r.size(), 1696u);
  EXPECT_EQ(At(r, 12, 4), (Bytes{0x00, 0x28, 0xAA, 0x45}));
  EXPECT_EQ(At(r, 336, 2), (Bytes{0x01, 0x00}));
  EXPECT_EQ(At(r, 338, 128), Bytes(128, 'x'));
  EXPECT_EQ(At(r, 466, 2), (Bytes{0xFF, 0xFF}));
  EXPECT_EQ(At(r, 496, 8), (Bytes{0x00, 0x00, 0x00, 0x00, 0x30, 0xA3, 0xE6, 0x40}));
  EXPECT_EQ(At(r, 1372, 7), (Bytes{'C', 'a', 'f', 0xE9, ' ', '?', ' '}));
  for (std::size_t hole : {24u, 25u, 26u, 27u, 494u, 495u, 518u, 519u, 1630u, 1631u, 1678u, 1679u})
    EXPECT_EQ(r[hole], 0) << "byte " << hole;
  EXPECT_EQ(DecodeSettings(r).MailName, "Caf\xC3\xA9 ?");
}

TEST(SettingsLoadRules, RepairsOutOfRangeValues) {
  LoadContext ctx;  // screen 19200 x 15360 twips
  Settings bad;
  bad.RefreshMinutes = 0, bad.HistoryDays = 10000, bad.CycleMode9 = 3, bad.SelColWidth = {0, 1500, 0, 2500};
  bad.ScriptErrMode = 1, bad.BackupInEditor = 2, bad.StoreDupUrls = -1, bad.MainLeft = -5;
  bad.MainWidth = 100, bad.EditorWidth = 6944, bad.EditorHeight = -1;
  ApplyLoadRules(bad, ctx);
  EXPECT_EQ(bad.RefreshMinutes, 1);
  EXPECT_EQ(bad.HistoryDays, 7);
  EXPECT_EQ(bad.CycleMode9, 0);
  EXPECT_EQ(bad.SelColWidth, (std::array<float, 4>{6000, 1500, 6000, 2500}));
  EXPECT_EQ(std::make_tuple(bad.ScriptErrMode, bad.BackupInEditor, bad.StoreDupUrls), std::make_tuple(0, 0, 0));
  EXPECT_EQ(bad.MailName, "Thunderbird");
  EXPECT_EQ(bad.StartPage, "");
  EXPECT_EQ(std::make_tuple(bad.MainLeft, bad.MainWidth, bad.MainHeight, bad.EditorWidth, bad.EditorHeight),
            std::make_tuple(0.0f, 7095.0f, 5445.0f, 6945.0f, 3525.0f));

  Settings edge = bad;
  edge.RefreshMinutes = 20000, edge.HistoryDays = 9999, edge.BackupInEditor = 1, edge.MainLeft = 16200;
  edge.MailName = "Evolution";
  ApplyLoadRules(edge, ctx);
  EXPECT_EQ(std::make_tuple(edge.RefreshMinutes, edge.HistoryDays, edge.BackupInEditor, edge.MainLeft, edge.MailName),
            std::make_tuple(10080, 9999, 1, 16200.0f, std::string("Evolution")));
  edge.MainLeft = 16201;
  ApplyLoadRules(edge, ctx);
  EXPECT_EQ(edge.MainLeft, 0);
}

// Sizes a window or a font cannot take, as a damaged record gives them.
TEST(SettingsLoadRules, RepairsSizesThatAreNoNumbers) {
  LoadContext ctx;
  const std::vector<std::string> fonts = {"DejaVu Sans"};
  const float nan = std::numeric_limits<float>::quiet_NaN(), inf = std::numeric_limits<float>::infinity();
  Settings s;
  s.MainLeft = nan, s.MainTop = -inf, s.MainWidth = inf, s.MainHeight = 1e30f, s.EditorWidth = nan;
  s.EditorHeight = 4000;
  s.ListFontName = "DejaVu Sans", s.ListFontSize = nan;
  ApplyLoadRules(s, ctx);
  ApplyListFontRules(s, fonts);
  EXPECT_EQ(std::make_tuple(s.MainLeft, s.MainTop, s.MainWidth, s.MainHeight, s.EditorWidth, s.EditorHeight),
            std::make_tuple(0.0f, 0.0f, 7095.0f, 5445.0f, 6945.0f, 4000.0f));
  EXPECT_EQ(s.ListFontSize, 8);
  s.ListFontSize = 3e9f;
  ApplyListFontRules(s, fonts);
  EXPECT_EQ(s.ListFontSize, 8);
  s.ListFontSize = 72;
  ApplyListFontRules(s, fonts);
  EXPECT_EQ(s.ListFontSize, 72);
}

TEST(SettingsLoadRules, FreshInstallMarkerSetsBackupDateTwentyYearsBack) {
  LoadContext ctx;
  ctx.today = static_cast<double>(dates::DayNumber(2026, 12, 6));
  Settings fresh, kept;
  fresh.InstallMarker = kFreshInstallMarker;
  kept.InstallMarker = 1, kept.LastBackupDate = 46000.25;
  ApplyLoadRules(fresh, ctx);
  ApplyLoadRules(kept, ctx);
  EXPECT_EQ(std::make_pair(fresh.LastBackupDate, fresh.InstallMarker),
            std::make_pair(static_cast<double>(dates::DayNumber(2006, 12, 6)), 0));
  EXPECT_EQ(kept.LastBackupDate, 46000.25);
}

TEST(SettingsLoadRules, ListFont) {
  struct Row {
    const char* name;
    std::string font;
    float size;
    std::vector<std::string> installed;
    std::string wantFont;
    float wantSize;
    bool wantBold;
  };
  const Row rows[] = {
      {"InstalledKeepsSize", "DejaVu Sans", 11, {"Noto Sans", "DejaVu Sans"}, "DejaVu Sans", 11, true},
      {"InstalledTinySize", "DejaVu Sans", 1.5f, {"DejaVu Sans"}, "DejaVu Sans", 8, true},
      {"MissingTakesVerdana", "Tahoma", 12, {"Noto Sans", "Arial", "Verdana"}, "Verdana", 8, false},
      {"NoPreferredTakesFirst", "Tahoma", 12, {"Noto Sans", "DejaVu Sans"}, "Noto Sans", 8, false},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    Settings s;
    s.ListFontName = row.font, s.ListFontSize = row.size, s.ListFontBold = true;
    ApplyListFontRules(s, row.installed);
    EXPECT_EQ(std::make_tuple(s.ListFontName, s.ListFontSize, s.ListFontBold),
              std::make_tuple(row.wantFont, row.wantSize, row.wantBold));
  }
}

TEST(SettingsFile, LoadAndSave) {
  TempDir dir;
  EXPECT_FALSE(LoadSettings(dir / "none.ini").has_value());
  Bytes shortFile(100, 0);
  Le(shortFile, 0, 0x44960000, 4);
  WriteBytes(dir / "short.ini", shortFile);
  const auto s = LoadSettings(dir / "short.ini");  // the missing rest reads as zero
  ASSERT_TRUE(s.has_value());
  EXPECT_EQ(std::make_pair(s->MainLeft, s->DontKillLayout[3]), std::make_pair(1200.0f, 0.0f));

  Bytes longFile(3000);
  for (std::size_t i = 0; i < longFile.size(); ++i) longFile[i] = static_cast<unsigned char>(i * 131 + 7);
  Le(longFile, 1692, 0x41000000, 4);
  WriteBytes(dir / "skelvorn.ini", longFile);
  auto l = LoadSettings(dir / "skelvorn.ini");
  ASSERT_TRUE(l.has_value());
  EXPECT_EQ(l->DontKillLayout[3], 8.0f);

  l->HistoryDays = 14;
  ASSERT_TRUE(SaveSettings(dir / "skelvorn.ini", *l));
  const Bytes written = ReadBytes(dir / "skelvorn.ini");
  ASSERT_EQ(written.size(), 1696u);
  EXPECT_EQ(At(written, 520, 4), (Bytes{14, 0, 0, 0}));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 2);  // no temp file left
}

TEST(SettingsFile, ReaderSurvivesDamagedFiles) {
  TempDir dir;
  Settings s;
  s.HistoryDays = 30;
  s.StartPage = "http://start.example/";
  const Bytes good = EncodeSettings(s);
  for (const auto& damage : corruption::DamagedCopies(good, 1696)) {
    SCOPED_TRACE(damage.name);
    WriteBytes(dir / "skelvorn.ini", damage.bytes);
    const auto loaded = LoadSettings(dir / "skelvorn.ini");
    ASSERT_TRUE(loaded.has_value());  // any bytes make a record; the load rules repair the values
    if (damage.wholeRecords == 1) {
      EXPECT_EQ(loaded->StartPage, "http://start.example/");
    }
    EXPECT_EQ(EncodeSettings(*loaded).size(), 1696u);
  }
}
