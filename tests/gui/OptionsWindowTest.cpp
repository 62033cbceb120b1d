// The options and suggestions windows over the fake engine: the spinner,
// the start-page choices, leaving without saving, and saving with two main
// windows open.
#include <gdk/gdkkeysyms.h>

#include <string>
#include <vector>

#include "core/app/Module1.h"
#include "core/app/ToolTips.h"
#include "core/history/HistoryRecord.h"
#include "gui/GuiTest.h"
#include "platform/Dialogs.h"
#include "platform/Network.h"
#include "platform/fakes/FakeBrowser.h"
#include "ui/browser/Form1.h"
#include "ui/windows/Form4.h"
#include "ui/windows/Form9.h"

namespace {

class OptionsWindow : public GuiTest {
 protected:
  void SetUp() override {
    ASSERT_TRUE(PrepareProgram());
    Settings& s = Module1().Working;
    s.NoToolTips = 0, s.SeparateSelectors = 0, s.HistoryDays = 30;
    SetMsgAnswerer(answers.Answerer());
  }
  void TearDown() override {
    if (Form4* f = TheApp().Options()) f->Command1_Click();
    CloseAllMainWindows();
    SetMsgAnswerer({});
    SetDefaultHandlerForTest({});
  }
  static Form4* Open() {
    TheApp().OpenOptions(nullptr, "https://shown.example/");
    return TheApp().Options();
  }
  static void Press(Form4* f, int delta, bool ctrl) {
    GdkEventButton e{};
    e.type = GDK_BUTTON_PRESS;
    e.button = 1;
    e.state = ctrl ? GDK_CONTROL_MASK : 0;
    f->DaysButton_Press(delta, &e);
    f->DaysButton_Release(&e);
  }
  ScriptedAnswers answers;
};

TEST_F(OptionsWindow, LoadsFromTheSettingsAndTheSpinnerKeepsToItsBounds) {
  Form4* f = Open();
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(Module1().BusyWindowOpen, 1);
  EXPECT_EQ(Module1().OptionsOpen, 1);
  EXPECT_EQ(f->Text6.get_text(), "30");
  EXPECT_TRUE(f->Option2[0].get_active());
  Press(f, +1, true);
  EXPECT_EQ(f->Text6.get_text(), "40");
  for (int i = 0; i < 5; ++i) Press(f, -1, true);
  EXPECT_EQ(f->Text6.get_text(), "0");
  // Held down: once at once, again after 750 ms, then every 50 ms.
  GdkEventButton e{};
  e.type = GDK_BUTTON_PRESS;
  e.button = 1;
  f->DaysButton_Press(+1, &e);
  EXPECT_EQ(f->Pending().HistoryDays, 1);
  // However late a loaded machine serves the timers, the count goes on.
  ASSERT_TRUE(RunUntil([&] { return f->Pending().HistoryDays >= 3; }));
  f->DaysButton_Release(&e);
  const int32_t held = f->Pending().HistoryDays;
  RunFor(200);
  EXPECT_EQ(f->Pending().HistoryDays, held);     // nothing more once let go
  EXPECT_EQ(Module1().Working.HistoryDays, 30);  // only saving stores it
}

TEST_F(OptionsWindow, TheBlankPageIsChosenEvenWhenItsFileIsMissing) {
  Module1().DefPagePath = Home() + "/no/DefPage.htm";
  Form4* f = Open();
  f->Option1[1].set_active(true);
  EXPECT_EQ(f->Text1.get_text(), Home() + "/no/DefPage.htm");
  ASSERT_EQ(answers.shown.size(), 2u);
  EXPECT_EQ(answers.shown[0], "The skelvornax DefPage.htm file Is Missing, Select Something Else.");
  EXPECT_EQ(answers.shown[1], kNewDefaultShownText);
  f->Option1[3].set_active(true);
  EXPECT_EQ(f->Pending().StartPage, "https://shown.example/");
  f->Option1[2].set_active(true);
  f->Text1.set_text("http://edited.example/");
  f->Option1[2].clicked();  // the option already chosen, clicked again
  EXPECT_EQ(f->Pending().StartPage, "http://edited.example/");
}

TEST_F(OptionsWindow, EscDropsEditsSilentlyAndTheCloseBoxAsksAfterAnyChange) {
  Form4* f = Open();
  f->Check1.set_active(true);
  GdkEventKey esc{};
  esc.type = GDK_KEY_PRESS;
  esc.keyval = GDK_KEY_Escape;
  EXPECT_TRUE(f->Form_KeyDown(&esc));
  EXPECT_TRUE(answers.shown.empty());
  EXPECT_EQ(Module1().Working.NoToolTips, 0);
  EXPECT_EQ(TheApp().Options(), nullptr);
  EXPECT_EQ(Module1().BusyWindowOpen, 0);
  EXPECT_EQ(Module1().OptionsOpen, 0);

  f = Open();
  f->Text4.set_text("My Chat");  // unsaved edits on the other tabs
  f->Text1.set_text("http://typed.example/");
  f->Option1[2].set_active(true);
  f->TabStrip1.set_current_page(1);
  f->Command5_Click();  // only "Restore Defaults" of the Options tab
  EXPECT_EQ(f->Text6.get_text(), "7");
  EXPECT_EQ(f->Text4.get_text(), "My Chat");
  EXPECT_EQ(f->Text1.get_text(), "http://typed.example/");
  EXPECT_TRUE(f->Option1[2].get_active());
  answers.shown.clear();
  answers.answers = {MsgAnswer::Cancel};
  EXPECT_TRUE(f->Form_QueryUnload());
  ASSERT_EQ(answers.shown.size(), 1u);
  EXPECT_EQ(answers.shown[0], "Your Options Were Changed, But Not Saved.\nDo You Want To Save Them, Now?");
  EXPECT_EQ(TheApp().Options(), f);  // Cancel keeps the window
  answers.answers = {MsgAnswer::Yes};
  f->Form_QueryUnload();
  EXPECT_EQ(TheApp().Options(), nullptr);
  EXPECT_EQ(Module1().Working.HistoryDays, 7);  // Yes saved
  EXPECT_EQ(Module1().Working.MessengerName, "My Chat");
}

TEST_F(OptionsWindow, SavingReachesEveryMainWindowAndLoweringTheDaysPurgesAtOnce) {
  Form1* one = OpenWindow(std::make_unique<FakeBrowser>());
  Form1* two = OpenWindow(std::make_unique<FakeBrowser>());
  ASSERT_FALSE(one->Command5.get_tooltip_text().empty());
  // Day files from today back to 10 days ago.
  const LocalDateTime now = dates::NowLocal();
  const int64_t today = dates::DayNumber(now.year, now.month, now.day);
  for (int back : {0, 2, 3, 10})
    WriteString(Module1().HistoryDir + "/" + DayFileName(dates::FromDayNumber(today - back)), "");

  Form4* f = Open();
  f->Check1.set_active(true);  // tooltips off
  f->Check5.set_active(true);  // separate selectors
  f->Text6.set_text("3");
  for (int i = 0; i < 27; ++i) Press(f, -1, false);
  f->Text5.set_text("Evolution");
  f->Text3.set_text("");
  f->Command4_Click();
  EXPECT_EQ(TheApp().Options(), nullptr);
  for (Form1* w : {one, two}) {
    EXPECT_EQ(w->Command5.get_tooltip_text(), "");
    EXPECT_EQ(w->ListView2.Tree().get_column(0)->get_title(), "   Categories");
  }
  EXPECT_EQ(Module1().ToolTipTexts[tips::kCycleMail], "Open Evolution (Right-Click To Cycle)");
  // Three days kept: today and the two before; the older files go at once.
  for (int back : {0, 2})
    EXPECT_TRUE(Exists(Module1().HistoryDir + "/" + DayFileName(dates::FromDayNumber(today - back))));
  for (int back : {3, 10})
    EXPECT_FALSE(Exists(Module1().HistoryDir + "/" + DayFileName(dates::FromDayNumber(today - back))));

  // Raising them again brings nothing back.
  f = Open();
  for (int i = 0; i < 3; ++i) Press(f, +1, true);
  f->Command4_Click();
  EXPECT_EQ(Module1().Working.HistoryDays, 33);
  EXPECT_FALSE(Exists(Module1().HistoryDir + "/" + DayFileName(dates::FromDayNumber(today - 3))));
}

TEST_F(OptionsWindow, AProgramPathThatIsNoProgramIsRefusedOnSaving) {
  Form4* f = Open();
  f->Text3.set_text("/etc/passwd");
  f->Command4_Click();
  ASSERT_EQ(answers.shown.size(), 1u);
  EXPECT_NE(answers.shown[0].find("\"/etc/passwd\" Is Not A Program"), std::string::npos);
  EXPECT_EQ(TheApp().Options(), f);  // still open, nothing stored
  EXPECT_NE(Module1().Working.MailPath, "/etc/passwd");
}

TEST_F(OptionsWindow, SuggestionsOpenOnePreAddressedMessage) {
  std::vector<std::string> handed;
  SetDefaultHandlerForTest([&handed](const std::string& uri) {
    handed.push_back(uri);
    return false;  // no mail program: the window stays, without a message
  });
  TheApp().OpenSuggestions(nullptr);
  Form9* w = TheApp().Suggestions();
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(Module1().MailWindowMode, 1);
  TheApp().OpenSuggestions(nullptr);
  EXPECT_EQ(TheApp().Suggestions(), w);  // only one
  EXPECT_EQ(w->Frame1.get_label(), "Suggestions And Bugs");
  ASSERT_TRUE(RunUntil([&] { return w->get_mapped(); }));
  EXPECT_NE(w->Text1.get_buffer()->get_text().find("Thank You For Helping To Make skelvornax Better"),
            std::string::npos);
  w->Command1_Click();
  EXPECT_EQ(handed, std::vector<std::string>{"mailto:" + SuggestionsAddress() + "?subject=Suggestions%20And%20Bugs"});
  EXPECT_EQ(SuggestionsAddress(), "suggestions@skelvornax.org");
  EXPECT_TRUE(answers.shown.empty());
  EXPECT_TRUE(w->get_visible());
  w->Form_QueryUnload();
  EXPECT_EQ(Module1().MailWindowMode, 0);
  EXPECT_EQ(TheApp().Suggestions(), nullptr);
}

}  // namespace
