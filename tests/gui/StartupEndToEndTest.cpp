// The whole program in this process: start-up on a fresh home, the first
// window on the help page, and what closing it leaves in the settings file.
#include <glib.h>

#include <algorithm>

#include "core/app/Module1.h"
#include "core/app/SettingsRecord.h"
#include "gui/GuiTest.h"
#include "platform/Desktop.h"
#include "ui/app/FrmErrBoot.h"
#include "ui/app/Main.h"
#include "ui/browser/Form1.h"

namespace {

class StartupEndToEnd : public GuiTest {};

TEST_F(StartupEndToEnd, FirstRunShowsHelpPageAndSavesSettingsOnClose) {
  std::string caption;
  bool sawWindow = false;
  // Watches the running program from inside its own main loop, then closes it.
  Glib::signal_timeout().connect(
      [&] {
        const auto windows = MainWindows();
        if (windows.empty()) return true;
        sawWindow = true;
        Form1* w = windows.front();
        if (w->get_title() != "skelvornax Help - skelvornax") return true;
        caption = w->get_title();
        EXPECT_NE(w->WebBrowser1.LocationURL().find("skelvornaxHelp.htm"), std::string::npos);
        w->Form_QueryUnload();
        return false;
      },
      20);
  EXPECT_EQ(RunWholeProgram(30), 0);

  EXPECT_TRUE(sawWindow);
  EXPECT_EQ(caption, "skelvornax Help - skelvornax");
  const auto saved = LoadSettings(DataHome() + "/skelvornax/skelvorn.ini");
  ASSERT_TRUE(saved);
  EXPECT_EQ(saved->InstallMarker, 1);
  const LocalDateTime now = dates::NowLocal();
  const double twentyYearsBack = dates::ToOleDate(dates::YearsBack({now.year, now.month, now.day, 0, 0, 0}, 20));
  EXPECT_EQ(saved->LastBackupDate, twentyYearsBack);
  // The list font is chosen after the first page is asked for: still one
  // this machine has.
  const std::vector<std::string> fonts = InstalledFonts();
  EXPECT_NE(std::find(fonts.begin(), fonts.end(), saved->ListFontName), fonts.end()) << saved->ListFontName;
  EXPECT_TRUE(MainWindows().empty());
}

TEST_F(StartupEndToEnd, BrokenShippedSettingsEndInBootErrorWindow) {
  TempDir app;
  StartupInputs in = ProgramInputs();
  in.appDir = app.path();
  MakeDirs(app / "SiteLists");
  for (const char* name : {"CatList.dab", "Sites00001.dab", "Sites00002.dab", "Sites00003.dab", "Sites00004.dab",
                           "Sites00005.dab", "Sites00006.dab"})
    WriteBytes(app / "SiteLists/" + name, ReadBytes(std::string(SKELVORNAX_PROGRAM_DIR) + "/SiteLists/" + name));
  WriteString(app / "skelvorn.ini", std::string(999, '\0'));  // too short to be a settings record
  bool shown = false;
  std::string text;
  Glib::signal_timeout().connect(
      [&] {
        for (Gtk::Window* w : Gtk::Window::list_toplevels()) {
          auto* boot = dynamic_cast<FrmErrBoot*>(w);
          if (!boot || !boot->get_visible()) continue;
          shown = true;
          text = boot->Text1.get_buffer()->get_text();
          boot->Command1_Click();
          return false;
        }
        return true;
      },
      20);
  EXPECT_EQ(RunProgram(TheApp(), in), 1);
  EXPECT_TRUE(shown);
  EXPECT_EQ(text, "No App Data/App/Ini File, Error Copying It");
  EXPECT_TRUE(MainWindows().empty());
}

}  // namespace
