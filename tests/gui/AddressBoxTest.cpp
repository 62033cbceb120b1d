// The address box over the fake engine: words go to the search engine the
// options window chose; private windows open from the menu and the keyboard.
#include <gdk/gdkkeysyms.h>

#include "core/app/Module1.h"
#include "core/app/Preferences.h"
#include "core/browser/Completion.h"
#include "core/history/ClearHistory.h"
#include "core/history/HistoryRecord.h"
#include "gui/GuiTest.h"
#include "platform/Dialogs.h"
#include "platform/fakes/FakeBrowser.h"
#include "ui/browser/Form1.h"
#include "ui/windows/ClearDataWindow.h"
#include "ui/windows/Form4.h"

namespace {

class AddressBox : public GuiTest {
 protected:
  void SetUp() override {
    ASSERT_TRUE(PrepareProgram());
    prefs::Current() = prefs::Preferences{};
    SetMsgAnswerer(answers.Answerer());
  }
  void TearDown() override {
    if (Form4* f = TheApp().Options()) f->Command1_Click();
    CloseAllMainWindows();
    SetMsgAnswerer({});
  }
  static FakeBrowser& Fake(Form1* w) { return dynamic_cast<FakeBrowser&>(w->WebBrowser1); }
  static void Type(Form1* w, const std::string& text) {
    w->Text1.set_text(text);
    w->Command1_Click();
  }
  static Gtk::RadioButton& EngineOption(Form4* f, const std::string& id) {
    const auto& engines = prefs::SearchEngines();
    for (std::size_t i = 0; i < engines.size(); ++i)
      if (id == engines[i].id) return *f->SearchEngineOption[i];
    throw std::runtime_error("no engine " + id);
  }
  ScriptedAnswers answers;
};

TEST_F(AddressBox, WordsGoToTheEngineSavedOnTheSearchTab) {
  Form1* w = OpenWindow(std::make_unique<FakeBrowser>());
  Type(w, "weather tomorrow");
  ASSERT_FALSE(Fake(w).navigations.empty());
  EXPECT_EQ(Fake(w).navigations.back(), "https://duckduckgo.com/?q=weather+tomorrow");

  TheApp().OpenOptions(w, "");
  Form4* f = TheApp().Options();
  EXPECT_TRUE(EngineOption(f, "duckduckgo").get_active());
  EngineOption(f, "wikipedia").set_active(true);
  EXPECT_TRUE(f->Changed());
  f->Command4_Click();
  EXPECT_EQ(TheApp().Options(), nullptr);
  EXPECT_EQ(prefs::Load(Module1().UserDataDir).SearchEngineId, "wikipedia");

  Type(w, "weather tomorrow");
  EXPECT_EQ(Fake(w).navigations.back(), "https://en.wikipedia.org/w/index.php?search=weather+tomorrow");
  Type(w, "example.org");
  EXPECT_EQ(Fake(w).navigations.back(), "http://example.org");  // an address is never searched
}

TEST_F(AddressBox, ACustomAddressWithoutAPlaceForTheWordsIsRefused) {
  TheApp().OpenOptions(nullptr, "");
  Form4* f = TheApp().Options();
  EngineOption(f, prefs::kCustomSearchEngine).set_active(true);
  f->SearchCustomUrl.set_text("https://find.example/");
  f->Command4_Click();
  ASSERT_EQ(answers.shown.size(), 1u);
  EXPECT_EQ(answers.shown[0], "The Custom Search Address Needs %s Where The Words Go.");
  EXPECT_EQ(TheApp().Options(), f);
  EXPECT_EQ(prefs::Current().SearchEngineId, prefs::kDefaultSearchEngine);

  f->SearchCustomUrl.set_text("https://find.example/?q=%s");
  f->Command4_Click();
  EXPECT_EQ(TheApp().Options(), nullptr);
  EXPECT_EQ(prefs::Current().SearchEngineId, prefs::kCustomSearchEngine);
  EXPECT_EQ(prefs::Load(Module1().UserDataDir).CustomSearchUrl, "https://find.example/?q=%s");
}

TEST_F(AddressBox, RestoreDefaultsOnTheSearchTabTouchesOnlyTheEngine) {
  TheApp().OpenOptions(nullptr, "");
  Form4* f = TheApp().Options();
  EngineOption(f, "bing").set_active(true);
  const std::string mail = f->Text3.get_text();
  f->Text3.set_text("/usr/bin/true");
  for (int i = 0; i < f->TabStrip1.get_n_pages(); ++i)
    if (f->TabStrip1.get_tab_label_text(*f->TabStrip1.get_nth_page(i)) == "Search") f->TabStrip1.set_current_page(i);
  ASSERT_EQ(f->TabStrip1.get_tab_label_text(*f->TabStrip1.get_nth_page(f->TabStrip1.get_current_page())), "Search");
  f->Command5_Click();
  EXPECT_TRUE(EngineOption(f, prefs::kDefaultSearchEngine).get_active());
  EXPECT_EQ(f->Text3.get_text(), "/usr/bin/true");
}

TEST_F(AddressBox, PrivateWindowsOpenFromTheMenuAndTheKeysAndLogNothing) {
  Form1* w = OpenWindow(std::make_unique<FakeBrowser>());
  w->mnuNewPrivateWind.activate();
  ASSERT_EQ(MainWindows().size(), 2u);
  Form1* p = MainWindows().back();
  EXPECT_TRUE(p->WebBrowser1.IsPrivate());
  EXPECT_TRUE(p->get_style_context()->has_class("private"));
  Fake(p).titles["https://secret.example/"] = "Secret";
  Type(p, "https://secret.example/");
  EXPECT_EQ(p->get_title(), "Secret - skelvornax (Private Window)");
  // Its page check runs, and writes nothing.
  ASSERT_TRUE(RunUntil([&] { return !p->Timer4Enabled(); }));
  for (const HistoryRecord& r : ReadDayFile(Module1().HistoryDir + "/" + DayFileName(dates::NowLocal())))
    EXPECT_EQ(r.URL.find("secret"), std::string::npos);

  // A window the private one opens is private too; Shift+Ctrl+N from a
  // normal window makes another.
  p->Check1.set_active(true);
  Type(p, "https://other.example/");
  ASSERT_EQ(MainWindows().size(), 3u);
  EXPECT_TRUE(MainWindows().back()->WebBrowser1.IsPrivate());
  GdkEventKey key{};
  key.type = GDK_KEY_PRESS;
  key.keyval = GDK_KEY_N;
  key.state = GDK_CONTROL_MASK | GDK_SHIFT_MASK;
  EXPECT_TRUE(w->Form_KeyDown(&key));
  ASSERT_EQ(MainWindows().size(), 4u);
  EXPECT_TRUE(MainWindows().back()->WebBrowser1.IsPrivate());
  EXPECT_FALSE(w->WebBrowser1.IsPrivate());
  EXPECT_EQ(w->get_title().find("Private"), std::string::npos);

  // A second start's window is a normal one, though a private window is the oldest.
  CloseWindow(w);
  TheApp().OpenNewMainWindow();
  ASSERT_EQ(MainWindows().size(), 4u);
  EXPECT_TRUE(MainWindows().back()->WebBrowser1.IsPrivate());  // only private ones were left
  Form1* normal = OpenWindow(std::make_unique<FakeBrowser>());
  TheApp().OpenNewMainWindow();
  ASSERT_EQ(MainWindows().size(), 6u);
  EXPECT_FALSE(MainWindows().back()->WebBrowser1.IsPrivate());
  EXPECT_NE(MainWindows().back(), normal);
}

TEST_F(AddressBox, CompletionsFollowTypingAndTheKeys) {
  Module1().Working.HistoryDays = 7;
  Form1* w = OpenWindow(std::make_unique<FakeBrowser>());
  Fake(w).titles["http://example.test/"] = "Example Domain";
  // The index builds after the first page; a page after that reaches it at once.
  Type(w, "http://example.test/");
  ASSERT_TRUE(RunUntil([&] { return !w->Timer4Enabled(); }));
  SharedCompletion().WaitUntilBuilt();
  Type(w, "http://example.test/");
  ASSERT_TRUE(RunUntil([&] { return !w->Timer4Enabled(); }));

  // A key typed into the box offers what it matches.
  ASSERT_TRUE(RunUntil([&] { return w->get_mapped(); }));
  w->Text1.set_text("");
  w->Text1.grab_focus();
  for (const guint k : {GDK_KEY_W, GDK_KEY_W, GDK_KEY_W, GDK_KEY_period, GDK_KEY_E, GDK_KEY_x, GDK_KEY_a})
    PressKey(*w, k);
  ASSERT_EQ(w->Text1.get_text(), "WWW.Exa");
  ASSERT_FALSE(w->Completions().empty());
  EXPECT_EQ(w->Completions()[0].url, "http://example.test/");
  EXPECT_TRUE(w->CompletionPopup.get_visible());
  // Esc closes the list and keeps the text.
  GdkEventKey key{};
  key.type = GDK_KEY_PRESS;
  key.keyval = GDK_KEY_Escape;
  EXPECT_TRUE(w->Form_KeyDown(&key));
  EXPECT_FALSE(w->CompletionPopup.get_visible());
  EXPECT_EQ(w->Text1.get_text(), "WWW.Exa");
  // The program's own change of the box, a page shown, offers nothing;
  // however long after the last key it comes.
  w->WebBrowser1.Navigate("http://example.test/");
  EXPECT_EQ(w->Text1.get_text(), "http://example.test/");
  EXPECT_FALSE(w->CompletionPopup.get_visible());
  // Tab takes the first address into the box; a paste is the user's too.
  w->Text1.set_text("");
  w->Text1.set_text("examp");
  ASSERT_TRUE(w->CompletionPopup.get_visible());
  key.keyval = GDK_KEY_Tab;
  EXPECT_TRUE(w->Form_KeyDown(&key));
  EXPECT_EQ(w->Text1.get_text(), "http://example.test/");
  EXPECT_FALSE(w->CompletionPopup.get_visible());
  // Down and Enter open the chosen match.
  w->Text1.set_text("example dom");
  ASSERT_FALSE(w->Completions().empty());
  const std::size_t before = Fake(w).navigations.size();
  key.keyval = GDK_KEY_Down;
  EXPECT_TRUE(w->Form_KeyDown(&key));
  key.keyval = GDK_KEY_Return;
  EXPECT_TRUE(w->Form_KeyDown(&key));
  ASSERT_EQ(Fake(w).navigations.size(), before + 1);
  EXPECT_EQ(Fake(w).navigations.back(), "http://example.test/");
  EXPECT_FALSE(w->CompletionPopup.get_visible());
  // "Go" closes the list too.
  w->Text1.set_text("examp");
  ASSERT_TRUE(w->CompletionPopup.get_visible());
  w->Command1_Click();
  EXPECT_FALSE(w->CompletionPopup.get_visible());
}

TEST_F(AddressBox, ClearingBrowsingDataClearsTheChosenKindsAndOneSitesCookies) {
  Module1().Working.HistoryDays = 7;
  FakeSiteData& data = FakeBrowser::TheSiteData();
  data.sites = {"a.test", "b.test"};
  data.clears.clear();
  const std::string today = Module1().HistoryDir + "/" + DayFileName(dates::NowLocal());
  WriteString(today, "");
  Form1* w = OpenWindow(std::make_unique<FakeBrowser>());
  w->mnuClearData.activate();
  ClearDataWindow* c = TheApp().ClearData();
  ASSERT_NE(c, nullptr);
  EXPECT_EQ(c->ComboSites.get_active_text(), "a.test");

  c->ComboSites.set_active(1);
  c->CommandRemoveSite_Click();
  EXPECT_EQ(data.sites, std::vector<std::string>{"a.test"});
  EXPECT_EQ(c->ComboSites.get_active_text(), "a.test");  // the list follows

  c->CheckCookies.set_active(false);
  c->OptionPeriod[static_cast<int>(ClearPeriod::Today)].set_active(true);
  c->CommandClear_Click();
  ASSERT_EQ(data.clears.size(), 1u);
  EXPECT_EQ(data.clears[0].kinds, SiteData::kCache);
  EXPECT_GT(data.clears[0].seconds, 0);
  EXPECT_EQ(data.sites, std::vector<std::string>{"a.test"});
  EXPECT_FALSE(Exists(today));
  EXPECT_EQ(c->LabelStatus.get_text(), "Cleared.");
  c->Form_QueryUnload();
  EXPECT_EQ(TheApp().ClearData(), nullptr);
}

}  // namespace
