// The options window's "Ad Blocking" tab over the fake engine: the switch
// is kept in the preferences file on Save only, and the tab names the lists
// in use.
#include "core/app/Module1.h"
#include "core/app/Preferences.h"
#include "gui/GuiTest.h"
#include "platform/Dialogs.h"
#include "ui/windows/Form4.h"

namespace {

class AdBlockingTab : public GuiTest {
 protected:
  void SetUp() override { ASSERT_TRUE(PrepareProgram()); }
  void TearDown() override {
    if (Form4* f = TheApp().Options()) f->Command1_Click();
  }
  static Form4* Open() {
    TheApp().OpenOptions(nullptr, "");
    return TheApp().Options();
  }
  static bool SavedChoice() { return prefs::Load(Module1().UserDataDir).BlockAdsInPages; }
};

TEST_F(AdBlockingTab, TheSwitchIsSavedWithTheOtherOptionsAndCancelDropsIt) {
  Form4* f = Open();
  ASSERT_NE(f, nullptr);
  EXPECT_TRUE(f->CheckBlockAds.get_active());  // on by default
  f->CheckBlockAds.set_active(false);
  EXPECT_TRUE(f->Changed());
  f->Command1_Click();  // Cancel
  EXPECT_TRUE(SavedChoice());

  f = Open();
  f->CheckBlockAds.set_active(false);
  f->Command4_Click();  // Save
  EXPECT_FALSE(SavedChoice());
  f = Open();
  EXPECT_FALSE(f->CheckBlockAds.get_active());
  f->CheckBlockAds.set_active(true);
  f->Command4_Click();
  EXPECT_TRUE(SavedChoice());
}

TEST_F(AdBlockingTab, RestoreDefaultsOnTheTabSwitchesBlockingBackOnAndLeavesTheOtherTabsAlone) {
  ScriptedAnswers answers;
  SetMsgAnswerer(answers.Answerer());
  Form4* f = Open();
  ASSERT_NE(f, nullptr);
  f->Text5.set_text("My Mail");
  f->CheckBlockAds.set_active(false);
  f->TabStrip1.set_current_page(f->TabStrip1.get_n_pages() - 1);
  f->Command5_Click();
  EXPECT_TRUE(f->CheckBlockAds.get_active());
  EXPECT_EQ(f->Text5.get_text(), "My Mail");
  SetMsgAnswerer({});
}

TEST_F(AdBlockingTab, TheTabNamesEachListWithItsFilterCount) {
  Form4* f = Open();
  ASSERT_NE(f, nullptr);
  const std::string text = f->LabelFilterLists.get_text();
  // The program folder of the tests is the build tree, with the shipped lists.
  EXPECT_EQ(text.find("missing"), std::string::npos) << text;
  EXPECT_EQ(text.rfind("EasyList: ", 0), 0u) << text;
  EXPECT_NE(text.find("\nEasyPrivacy: "), std::string::npos) << text;
  EXPECT_NE(text.find(" filters, of "), std::string::npos) << text;
  EXPECT_EQ(f->TabStrip1.get_tab_label_text(*f->TabStrip1.get_nth_page(f->TabStrip1.get_n_pages() - 1)), "Ad Blocking");
}

}  // namespace
