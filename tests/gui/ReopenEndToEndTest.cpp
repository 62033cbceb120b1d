// The whole program with the real engine, started on what a killed run left:
// the first window offers the pages, "Reopen" opens them, the record follows
// the windows, and closing them all removes it.
#include <glib.h>

#include <string>
#include <vector>

#include "core/app/Module1.h"
#include "core/app/OpenPages.h"
#include "gui/GuiTest.h"
#include "ui/app/OpenPagesKeeper.h"
#include "ui/browser/Form1.h"

namespace {

class ReopenEndToEnd : public GuiTest {};

bool Shows(Form1* w, const std::string& url, const std::string& title) {
  return w->WebBrowser1.LocationURL() == url && w->PageTitle() == title;
}

TEST_F(ReopenEndToEnd, WhatAKilledRunLeftIsOfferedReopenedAndGoneAfterANormalEnd) {
  TempDir pages;
  WriteString(pages / "one.htm", "<html><head><title>One</title></head><body>one</body></html>");
  WriteString(pages / "two.htm", "<html><head><title>Two</title></head><body>two</body></html>");
  const openpages::Pages left = {{"file://" + pages / "one.htm", "One"}, {"file://" + pages / "two.htm", "Two"}};
  const std::string record = DataHome() + "/skelvornax/" + openpages::kFileName;
  MakeDirs(DataHome() + "/skelvornax");
  ASSERT_TRUE(openpages::Write(record, left));

  std::string question;
  openpages::Pages whileOpen;
  int phase = 0;
  Glib::signal_timeout().connect(
      [&] {
        const auto windows = MainWindows();
        if (windows.empty()) return true;
        if (phase == 0) {
          if (!windows.front()->ReopenBar1.Asking()) return true;
          question = windows.front()->ReopenBar1.Text.get_text();
          windows.front()->ReopenBar1.Reopen.clicked();
          phase = 1;
          return true;
        }
        if (windows.size() < 3 || !Shows(windows[1], left[0].url, "One") || !Shows(windows[2], left[1].url, "Two"))
          return true;
        TheApp().OpenPages().Flush();
        whileOpen = openpages::Read(record);
        for (Form1* w : windows) w->Form_QueryUnload();
        return false;
      },
      20);
  EXPECT_EQ(RunWholeProgram(40), 0);

  EXPECT_EQ(question, "skelvornax did not close normally. Reopen the 2 pages that were open?");
  // What a kill at that moment would have left: the help page and the two.
  ASSERT_EQ(whileOpen.size(), 3u);
  EXPECT_NE(whileOpen[0].url.find("skelvornaxHelp.htm"), std::string::npos);
  EXPECT_EQ(std::vector<openpages::Page>(whileOpen.begin() + 1, whileOpen.end()), left);
  EXPECT_FALSE(Exists(record));
}

}  // namespace
