// Shared set-up of the window tests: a private home for each test process
// (set before GLib caches the folders) and a main loop to wait in.
#pragma once

#include <gtest/gtest.h>
#include <gtkmm.h>

#include <functional>
#include <memory>
#include <string>

#include "TestDirs.h"
#include "app/Startup.h"

class GuiTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite();
  static std::string Home() { return home_->path(); }
  static std::string DataHome() { return home_->path() + "/.local/share"; }
  // Start-up inputs of this machine, with the build tree as program folder.
  static StartupInputs ProgramInputs();
  // Runs start-up into Module1 (false, with the breadcrumb, on failure);
  // no start page and no handed-over address for the windows a test opens.
  static ::testing::AssertionResult PrepareProgram();
  // The real engine, set up once per process.
  static void UseRealEngine();

 private:
  static std::unique_ptr<TempDir> home_;
};

// Runs the main loop until the condition holds or the time is up.
bool RunUntil(const std::function<bool()>& condition, int timeoutMs = 20000);
// Runs the main loop for a while, for things that must NOT happen.
void RunFor(int ms);
