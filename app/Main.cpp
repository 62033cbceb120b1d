#include "app/Main.h"

#include <glib.h>

#include "app/FrmErrBoot.h"
#include "app/Module1.h"
#include "browser/Form1.h"
#include "platform/Desktop.h"
#include "platform/WebKitBrowser.h"

#ifndef SKELVORNAX_DATA_DIR
#define SKELVORNAX_DATA_DIR "/usr/local/share/skelvornax"
#endif

StartupInputs GatherStartupInputs(const std::string& commandLine) {
  StartupInputs in;
  in.commandLine = commandLine;
  in.appDir = FindAppDir(SKELVORNAX_DATA_DIR);
  in.profileDir = g_get_home_dir();
  in.dataHome = g_get_user_data_dir();
  in.now = dates::NowLocal();
  const WorkArea area = PrimaryWorkArea();
  in.screenWidthTwips = static_cast<float>(area.width * kTwipsPerPixel);
  in.screenHeightTwips = static_cast<float>(area.height * kTwipsPerPixel);
  in.installedFonts = InstalledFonts();
  return in;
}

int Main(const std::string& commandLine) {
  Module1().CommandLineArg = CleanCommandLine(commandLine);
  return RunProgram(GatherStartupInputs(Module1().CommandLineArg));
}

int RunProgram(const StartupInputs& inputs) {
  Module1State& m = Module1();
  m.CommandLineArg = CleanCommandLine(inputs.commandLine);
  if (!PrepareStart(inputs, m)) {
    FrmErrBoot boot;
    boot.signal_hide().connect([] { Gtk::Main::quit(); });
    Gtk::Main::run();
    return 1;
  }
  WebKitBrowser::ConfigureEngine(m.UserDataDir + "/WebData", std::string(g_get_user_cache_dir()) + "/" + kAppTitle);
  Form1::Open(std::make_unique<WebKitBrowser>());
  Gtk::Main::run();
  return 0;
}
