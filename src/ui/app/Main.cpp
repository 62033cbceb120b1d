#include "ui/app/Main.h"

#include <glib.h>

#include <algorithm>
#include <iostream>
#include <memory>
#include <optional>

#include "core/app/Marker.h"
#include "core/app/Module1.h"
#include "core/app/Preferences.h"
#include "core/app/StartupTrace.h"
#include "core/records/FileOps.h"
#include "platform/Desktop.h"
#include "platform/Dialogs.h"
#include "platform/InstanceChannel.h"
#include "platform/WebKitBrowser.h"
#include "ui/app/App.h"
#include "ui/app/Form8.h"
#include "ui/app/FrmErrBoot.h"
#include "ui/app/OpenPagesKeeper.h"
#include "ui/app/ProgramIcon.h"
#include "ui/browser/AdBlockUi.h"
#include "ui/browser/Form1.h"

#ifndef SKELVORNAX_DATA_FROM_BROWSER
#error "SKELVORNAX_DATA_FROM_BROWSER: the shipped data's folder relative to the browser program's folder"
#endif

StartupInputs GatherStartupInputs(const std::string& commandLine) {
  StartupInputs in;
  in.commandLine = commandLine;
  in.appDir = FindAppDir(fileops::SelfExecutable(), SKELVORNAX_DATA_FROM_BROWSER);
  in.profileDir = g_get_home_dir();
  in.dataHome = g_get_user_data_dir();
  in.now = dates::NowLocal();
  const WorkArea area = PrimaryWorkArea();
  in.screenWidthTwips = static_cast<float>(area.width * kTwipsPerPixel);
  in.screenHeightTwips = static_cast<float>(area.height * kTwipsPerPixel);
  startuptrace::Mark("start-up inputs gathered");
  return in;
}

int Main(const std::vector<std::string>& addresses) {
  Module1().CommandLineArg = addresses.empty() ? std::string() : addresses.front();

  // One process per user: when another holds the lock, hand over and end,
  // before any window or the web engine is started.
  static InstanceLock lock;  // held until the process ends
  std::string why;
  const std::optional<InstancePaths> channel = PrepareInstanceDir(UserRuntimeDir(), &why);
  // A running process that ends before it took the addresses leaves the
  // program to this start; another start may get there first, and then
  // takes them instead.
  for (int attempt = 0; channel && !lock.Held(); ++attempt) {
    const InstanceLock::State state = lock.Acquire(channel->lockPath);
    if (state == InstanceLock::State::Unavailable) {
      why = "cannot use " + channel->lockPath;
      break;
    }
    if (state == InstanceLock::State::HeldElsewhere) {
      if (const auto code = SecondStart(*channel, addresses, attempt < 2 ? kHandOverWaitMs : 0)) return *code;
    }
  }
  if (!lock.Held()) std::cerr << kAppTitle << ": running without single-instance hand-over (" << why << ")\n";

  startuptrace::Mark("instance lock held");
  if (!gtk_init_check(nullptr, nullptr)) {
    std::cerr << kAppTitle << ": cannot open the display\n";
    return 1;
  }
  startuptrace::Mark("toolkit ready");
  App app;
  const std::vector<std::string> further(addresses.empty() ? addresses.end() : addresses.begin() + 1, addresses.end());
  return RunProgram(app, GatherStartupInputs(Module1().CommandLineArg), lock.Held() ? &*channel : nullptr, further);
}

std::optional<int> SecondStart(const InstancePaths& channel, const std::vector<std::string>& addresses, int waitMs) {
  // The running process may still be starting, or ending: it is waited for
  // while it holds the lock.
  HandOverResult last = HandOverResult::NoMarker;
  const auto running = [&channel] { return LockHeldElsewhere(channel.lockPath); };
  if (HandOverAll(channel.socketPath, addresses, running, std::max(waitMs, 1), &last) > 0) return 0;
  if (last == HandOverResult::Ended && waitMs > 0) return std::nullopt;
  // Running, but its marker did not answer in all that time.
  if (gtk_init_check(nullptr, nullptr)) {
    std::optional<App> app;  // the toolkit's application, unless this process has one already
    if (!g_application_get_default()) app.emplace();
    MsgBox(kAlreadyRunningText);
  } else {
    std::cerr << kAlreadyRunningText << "\n";
  }
  return 0;
}

int RunProgram(App& app, const StartupInputs& inputs, const InstancePaths* channel,
               const std::vector<std::string>& further) {
  Module1State& m = Module1();
  m.CommandLineArg = CleanCommandLine(inputs.commandLine);
  if (!PrepareStart(inputs, m)) {
    FrmErrBoot boot;
    boot.signal_hide().connect(sigc::mem_fun(app, &App::Quit));
    app.Run();
    return 1;
  }
  startuptrace::Mark("settings and data folder ready");
  prefs::Current() = prefs::Load(m.UserDataDir);
  const std::string cacheDir = std::string(g_get_user_cache_dir()) + "/" + kAppTitle;
  WebKitBrowser::ConfigureEngine(m.UserDataDir + "/WebData", cacheDir);
  // The first page is asked for before anything else is made: the engine
  // starts its web process meanwhile.
  auto firstBrowser = std::make_unique<WebKitBrowser>();
  AskForStartPage(*firstBrowser);
  ApplyListFontRules(m.Working, InstalledFonts(), InterfaceFontFamily);
  startuptrace::Mark("list font chosen");
  UseProgramIcon(m.AppDir);
  StartAdBlocking(app, cacheDir);
  // Read before the first window records itself over it.
  app.OpenPages().Start(m.UserDataDir);
  Form1& first = app.OpenMainWindow(std::move(firstBrowser));
  startuptrace::Mark("first window built and shown");
  // The marker is loaded hidden after the first window, and from then on a
  // second start reaches it (second starts before wait for it meanwhile).
  std::unique_ptr<InstanceServer> server;
  if (channel) {
    server = std::make_unique<InstanceServer>(app.Marker());
    std::string why;
    if (!server->Listen(channel->socketPath, &why))
      std::cerr << kAppTitle << ": second starts cannot reach this window (" << why << ")\n";
  }
  // Further addresses of the command line, each in a window of its own.
  for (const std::string& address : further) {
    m.CommandLineArg = address;
    app.OpenNewMainWindow();
  }
  app.OpenPages().Offer(first);
  startuptrace::Mark("main loop");
  const int code = app.Run();
  // No window is left to open one for a second start: it is turned away at
  // once and waits for the lock to come free.
  server.reset();
  return code;
}
