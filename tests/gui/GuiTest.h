// Shared set-up of the window tests: a private home for each test process
// (set before GLib caches the folders) and a main loop to wait in.
#pragma once

#include <gtest/gtest.h>
#include <gtkmm.h>

#include <functional>
#include <memory>
#include <string>

#include "core/app/Startup.h"
#include "support/TestDirs.h"
#include "ui/app/App.h"

class Form1;
class WebBrowser;

class GuiTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite();
  // The owner and its windows go before the program's statics do.
  static void TearDownTestSuite() { app_.reset(); }
  // The program's window owner, one per test process.
  static App& TheApp() { return *app_; }
  static Form1* OpenWindow(std::unique_ptr<WebBrowser> browser);
  static std::vector<Form1*> MainWindows() { return app_->MainWindows(); }
  // Runs a main window's close sequence to its end (it is freed then).
  static void CloseWindow(Form1* window);
  // The same for every main window.
  static void CloseAllMainWindows();
  static std::string Home() { return homePath_; }
  static std::string DataHome() { return homePath_ + "/.local/share"; }
  // Start-up inputs of this machine, with the build tree as program folder.
  static StartupInputs ProgramInputs();
  // Runs start-up into Module1 (false, with the breadcrumb, on failure);
  // no start page and no handed-over address for the windows a test opens.
  static ::testing::AssertionResult PrepareProgram();
  // Runs the program on this machine's inputs until it ends, or fails the
  // test and ends it after `seconds`; its exit code.
  static int RunWholeProgram(int seconds);
  // The real engine, set up once per process.
  static void UseRealEngine();

 private:
  static void SetUpHome();
  static std::unique_ptr<TempDir> home_;
  static std::string homePath_;
  static std::unique_ptr<App> app_;
};

// A handler connected for one test's scope only: it may capture the test's locals.
struct ScopedConnection {
  sigc::connection connection;
  ~ScopedConnection() { connection.disconnect(); }
};

// A key pressed in a window as the user would: through the window's own
// handlers to the focused control and its key bindings.
void PressKey(Gtk::Window& window, guint keyval, guint state = 0);

// Runs the main loop until the condition holds or the time is up.
bool RunUntil(const std::function<bool()>& condition, int timeoutMs = 20000);
// Runs the main loop for a while, for things that must NOT happen.
void RunFor(int ms);
