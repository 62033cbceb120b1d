// The settings record against bytes laid out by hand, the load rules and the file.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "TestDirs.h"
#include "app/SettingsRecord.h"

namespace {

using Bytes = std::vector<unsigned char>;

void Lay(Bytes& b, std::size_t off, std::initializer_list<unsigned char> bytes) {
  std::copy(bytes.begin(), bytes.end(), b.begin() + static_cast<long>(off));
}

void LayText(Bytes& b, std::size_t off, std::size_t width, const std::string& text) {
  for (std::size_t i = 0; i < width; ++i) b[off + i] = i < text.size() ? static_cast<unsigned char>(text[i]) : ' ';
}

Bytes At(const Bytes& b, std::size_t off, std::size_t n) {
  return Bytes(b.begin() + static_cast<long>(off), b.begin() + static_cast<long>(off + n));
}

}  // namespace

TEST(SettingsRecord, DecodesHandLaidRecord) {
  Bytes r(1696, 0);
  Lay(r, 0, {0x00, 0x00, 0x96, 0x44});      // MainLeft 1200
  Lay(r, 8, {0x00, 0xB8, 0xDD, 0x45});      // MainWidth 7095
  Lay(r, 28, {0x03, 0xD9, 0x00, 0x00});     // InstallMarker 55555
  LayText(r, 32, 300, "/home/u/start.htm");
  Lay(r, 336, {0x01, 0x00});
  LayText(r, 338, 128, "Verdana");
  Lay(r, 466, {0xFF, 0xFF});
  Lay(r, 468, {0x00, 0x00, 0x18, 0x41});    // 9.5
  Lay(r, 496, {0x00, 0x00, 0x00, 0x00, 0x30, 0xA3, 0xE6, 0x40});  // 46361.5
  Lay(r, 512, {0x39, 0x0B});                // 2873
  Lay(r, 520, {0xFD, 0xFF, 0xFF, 0xFF});    // -3
  LayText(r, 1372, 256, "Evolution");
  Lay(r, 1632, {0x0F, 0x00, 0x00, 0x80});
  Lay(r, 1642, {0x02, 0x00});
  Lay(r, 1652, {0x00, 0x80, 0xBB, 0x45});   // SelColWidth 2 = 6000
  Lay(r, 1692, {0x00, 0x00, 0x00, 0x41});   // DontKillLayout 4 = 8

  const Settings s = DecodeSettings(r);
  EXPECT_EQ(s.MainLeft, 1200.0f);
  EXPECT_EQ(s.MainTop, 0.0f);
  EXPECT_EQ(s.MainWidth, 7095.0f);
  EXPECT_EQ(s.InstallMarker, 55555);
  EXPECT_EQ(s.StartPage, "/home/u/start.htm");
  EXPECT_EQ(s.SkipSecurePages, 1);
  EXPECT_EQ(s.ListFontName, "Verdana");
  EXPECT_TRUE(s.ListFontBold);
  EXPECT_EQ(s.ListFontSize, 9.5f);
  EXPECT_EQ(s.LastBackupDate, 46361.5);
  EXPECT_EQ(s.RefreshMinutes, 2873);
  EXPECT_EQ(s.HistoryDays, -3);
  EXPECT_EQ(s.MailName, "Evolution");
  EXPECT_EQ(s.PanelColor, kPanelColorButtonFace);
  EXPECT_EQ(s.CycleMode9, 2);
  EXPECT_EQ(s.SelColWidth[0], 0.0f);
  EXPECT_EQ(s.SelColWidth[1], 6000.0f);
  EXPECT_EQ(s.DontKillLayout[3], 8.0f);
}

TEST(SettingsRecord, EncodesFieldsAtTheirOffsetsAndLeavesHolesZero) {
  Settings s;
  s.MainHeight = 5445;
  s.InstallMarker = -1;
  s.SkipSecurePages = 1;
  s.ListFontName = "Verdana";
  s.ListFontBold = true;
  s.SeparateSelectors = -1;
  s.LastBackupDate = 46361.5;
  s.HideControlsMode = -1;
  s.HistoryDays = -1;
  s.MailName = "Caf\xC3\xA9 \xE6\x97\xA5";  // "Café 日"
  s.StoreDupUrls = -1;
  s.PanelColor = -1;
  s.HistShowTime = -1;
  s.DontKillLayout = {-1, -1, -1, -1};
  const Bytes r = EncodeSettings(s);
  ASSERT_EQ(r.size(), 1696u);
  EXPECT_EQ(At(r, 12, 4), (Bytes{0x00, 0x28, 0xAA, 0x45}));
  EXPECT_EQ(At(r, 336, 2), (Bytes{0x01, 0x00}));
  EXPECT_EQ(At(r, 338, 8), (Bytes{'V', 'e', 'r', 'd', 'a', 'n', 'a', ' '}));
  EXPECT_EQ(r[465], ' ');
  EXPECT_EQ(At(r, 466, 2), (Bytes{0xFF, 0xFF}));
  EXPECT_EQ(At(r, 496, 8), (Bytes{0x00, 0x00, 0x00, 0x00, 0x30, 0xA3, 0xE6, 0x40}));
  EXPECT_EQ(At(r, 1372, 7), (Bytes{'C', 'a', 'f', 0xE9, ' ', '?', ' '}));
  for (std::size_t hole : {24u, 25u, 26u, 27u, 494u, 495u, 518u, 519u, 1630u, 1631u, 1678u, 1679u})
    EXPECT_EQ(r[hole], 0) << "byte " << hole;

  EXPECT_EQ(DecodeSettings(r).MailName, "Caf\xC3\xA9 ?");
  s.ListFontBold = false;
  EXPECT_EQ(At(EncodeSettings(s), 466, 2), (Bytes{0x00, 0x00}));
}

TEST(SettingsRecord, OverlongTextIsCutToItsField) {
  Settings s;
  s.ListFontName = std::string(129, 'x');
  const Bytes r = EncodeSettings(s);
  EXPECT_EQ(At(r, 338, 128), Bytes(128, 'x'));
  EXPECT_EQ(At(r, 466, 2), (Bytes{0x00, 0x00}));
  EXPECT_EQ(DecodeSettings(r).ListFontName, std::string(128, 'x'));
}

TEST(SettingsRecord, ReservedBytesSurviveDecodeAndEncode) {
  Bytes r(1696, 0);
  for (std::size_t i = 0; i < 248; ++i) r[524 + i] = static_cast<unsigned char>(i * 37 + 1);
  Lay(r, 332, {0xEF, 0xBE, 0xAD, 0xDE});
  Lay(r, 1644, {0x01, 0x02, 0x03, 0x84});
  Lay(r, 1664, {0xFF, 0x00, 0xFF, 0x00});
  const Bytes back = EncodeSettings(DecodeSettings(r));
  EXPECT_EQ(At(back, 524, 248), At(r, 524, 248));
  EXPECT_EQ(At(back, 332, 4), At(r, 332, 4));
  EXPECT_EQ(At(back, 1644, 4), At(r, 1644, 4));
  EXPECT_EQ(At(back, 1664, 4), At(r, 1664, 4));
}

TEST(SettingsLoadRules, ClampsAndDefaults) {
  struct Row {
    const char* name;
    std::function<void(Settings&)> set;
    std::function<void(const Settings&)> check;
  };
  const Row rows[] = {
      {"RefreshZero", [](Settings& s) { s.RefreshMinutes = 0; }, [](const Settings& s) { EXPECT_EQ(s.RefreshMinutes, 1); }},
      {"RefreshHuge", [](Settings& s) { s.RefreshMinutes = 20000; }, [](const Settings& s) { EXPECT_EQ(s.RefreshMinutes, 10080); }},
      {"HistoryDaysHuge", [](Settings& s) { s.HistoryDays = 10000; }, [](const Settings& s) { EXPECT_EQ(s.HistoryDays, 7); }},
      {"HistoryDaysMax", [](Settings& s) { s.HistoryDays = 9999; }, [](const Settings& s) { EXPECT_EQ(s.HistoryDays, 9999); }},
      {"CycleMode9Bad", [](Settings& s) { s.CycleMode9 = 3; }, [](const Settings& s) { EXPECT_EQ(s.CycleMode9, 0); }},
      {"CycleMode9Good", [](Settings& s) { s.CycleMode9 = 2; }, [](const Settings& s) { EXPECT_EQ(s.CycleMode9, 2); }},
      {"SelColZero", [](Settings& s) { s.SelColWidth = {0, 1500, 0, 2500}; },
       [](const Settings& s) { EXPECT_EQ(s.SelColWidth, (std::array<float, 4>{6000, 1500, 6000, 2500})); }},
      {"ScriptErrMode", [](Settings& s) { s.ScriptErrMode = 1; }, [](const Settings& s) { EXPECT_EQ(s.ScriptErrMode, 0); }},
      {"BackupInEditor2", [](Settings& s) { s.BackupInEditor = 2; }, [](const Settings& s) { EXPECT_EQ(s.BackupInEditor, 0); }},
      {"BackupInEditor1", [](Settings& s) { s.BackupInEditor = 1; }, [](const Settings& s) { EXPECT_EQ(s.BackupInEditor, 1); }},
      {"StoreDupNegative", [](Settings& s) { s.StoreDupUrls = -1; }, [](const Settings& s) { EXPECT_EQ(s.StoreDupUrls, 0); }},
      {"EmptyTexts", [](Settings& s) { s.MailName.clear(); s.StartPage.clear(); },
       [](const Settings& s) { EXPECT_EQ(s.MailName, "Thunderbird"); EXPECT_EQ(s.StartPage, ""); }},
      {"LeftNegative", [](Settings& s) { s.MainLeft = -5; }, [](const Settings& s) { EXPECT_EQ(s.MainLeft, 0); }},
      {"LeftOffScreen", [](Settings& s) { s.MainLeft = 16201; }, [](const Settings& s) { EXPECT_EQ(s.MainLeft, 0); }},
      {"LeftAtEdge", [](Settings& s) { s.MainLeft = 16200; }, [](const Settings& s) { EXPECT_EQ(s.MainLeft, 16200); }},
      {"TooSmall", [](Settings& s) { s.MainWidth = 100; s.MainHeight = 0; s.EditorWidth = 6944; s.EditorHeight = -1; },
       [](const Settings& s) {
         EXPECT_EQ(s.MainWidth, 7095); EXPECT_EQ(s.MainHeight, 5445);
         EXPECT_EQ(s.EditorWidth, 6945); EXPECT_EQ(s.EditorHeight, 3525);
       }},
  };
  LoadContext ctx;
  ctx.today = 46362;
  ctx.installedFonts = {"DejaVu Sans"};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    Settings s;
    s.MainLeft = 100, s.MainWidth = 9000, s.MainHeight = 6000, s.EditorWidth = 8000, s.EditorHeight = 4000;
    s.RefreshMinutes = 30, s.HistoryDays = 7, s.MailName = "Evolution";
    s.ListFontName = "DejaVu Sans", s.ListFontSize = 9;
    row.set(s);
    ApplyLoadRules(s, ctx);
    row.check(s);
  }
}

TEST(SettingsLoadRules, FreshInstallMarkerSetsBackupDateTwentyYearsBack) {
  LoadContext ctx;
  ctx.today = static_cast<double>(dates::DayNumber(2026, 12, 6));
  Settings s;
  s.InstallMarker = kFreshInstallMarker;
  ApplyLoadRules(s, ctx);
  EXPECT_EQ(s.LastBackupDate, static_cast<double>(dates::DayNumber(2006, 12, 6)));
  EXPECT_EQ(s.InstallMarker, 0);

  Settings kept;
  kept.InstallMarker = 1;
  kept.LastBackupDate = 46000.25;
  ApplyLoadRules(kept, ctx);
  EXPECT_EQ(kept.LastBackupDate, 46000.25);
  EXPECT_EQ(kept.InstallMarker, 1);
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
      {"EmptyTakesVerdana", "", 12, {"Verdana"}, "Verdana", 8, false},
      {"NoPreferredTakesFirst", "Tahoma", 12, {"Noto Sans", "DejaVu Sans"}, "Noto Sans", 8, false},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    Settings s;
    s.ListFontName = row.font;
    s.ListFontSize = row.size;
    s.ListFontBold = true;
    ApplyListFontRules(s, row.installed);
    EXPECT_EQ(s.ListFontName, row.wantFont);
    EXPECT_EQ(s.ListFontSize, row.wantSize);
    EXPECT_EQ(s.ListFontBold, row.wantBold);
  }
}

TEST(SettingsFile, ShortMissingAndLongFiles) {
  TempDir dir;
  EXPECT_FALSE(LoadSettings(dir / "none.ini").has_value());

  Bytes shortFile(100, 0);
  Lay(shortFile, 0, {0x00, 0x00, 0x96, 0x44});
  Lay(shortFile, 28, {0x07, 0x00, 0x00, 0x00});
  WriteBytes(dir / "short.ini", shortFile);
  const auto s = LoadSettings(dir / "short.ini");
  ASSERT_TRUE(s.has_value());
  EXPECT_EQ(s->MainLeft, 1200.0f);
  EXPECT_EQ(s->InstallMarker, 7);
  EXPECT_EQ(s->StartPage, "");
  EXPECT_EQ(s->HistoryDays, 0);
  EXPECT_EQ(s->DontKillLayout[3], 0.0f);

  Bytes longFile(3000);
  for (std::size_t i = 0; i < longFile.size(); ++i) longFile[i] = static_cast<unsigned char>(i * 131 + 7);
  Lay(longFile, 1692, {0x00, 0x00, 0x00, 0x41});
  WriteBytes(dir / "long.ini", longFile);
  const auto l = LoadSettings(dir / "long.ini");
  ASSERT_TRUE(l.has_value());
  EXPECT_EQ(l->DontKillLayout[3], 8.0f);
  EXPECT_EQ(EncodeSettings(*l).size(), 1696u);
}

TEST(SettingsFile, SaveReplacesWithExactRecordAndLeavesNoTempFile) {
  TempDir dir;
  WriteBytes(dir / "skelvorn.ini", Bytes(3000, 0xAA));
  Settings s;
  s.HistoryDays = 14;
  ASSERT_TRUE(SaveSettings(dir / "skelvorn.ini", s));
  const Bytes written = ReadBytes(dir / "skelvorn.ini");
  ASSERT_EQ(written.size(), 1696u);
  EXPECT_EQ(At(written, 520, 4), (Bytes{14, 0, 0, 0}));
  EXPECT_EQ(written[1695], 0);
  int entries = 0;
  for (const auto& e : std::filesystem::directory_iterator(dir.path())) entries += e.path().filename() == "skelvorn.ini" ? 1 : 100;
  EXPECT_EQ(entries, 1);
}
