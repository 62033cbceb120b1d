// The don't-kill list window: adding and replacing, deleting with and
// without the question, the boxes filled from the page, and the file
// written on closing. Where an entry goes, the field cuts and the layout
// arithmetic are proven in tests/popups; here the window's use of them.
#include <gdk/gdkkeysyms.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "core/app/Module1.h"
#include "core/sitelists/ListFiles.h"
#include "gui/GuiTest.h"
#include "platform/Dialogs.h"
#include "ui/popups/Form10.h"

namespace {

const char* const kDeleteQuestion = "Deleted The Selected Addresses(s) From Site List?";

using Entries = std::vector<SiteRecord>;
const Entries kAbcd = {
    {"A", "http://A.example/"}, {"B", "http://B.example/"}, {"C", "http://C.example/"}, {"D", "http://D.example/"}};

class Form10Window : public GuiTest {
 protected:
  void SetUp() override {
    ASSERT_TRUE(PrepareProgram());
    Module1State& m = Module1();
    std::remove(m.DontKillPath.c_str());
    m.Working.NoToolTips = 0;
    m.Working.NoDeleteWarnings = 0;
    m.Working.DontKillLayout = {};
    m.BusyWindowOpen = 0;
    SetMsgAnswerer(answers.Answerer());
  }
  void TearDown() override { SetMsgAnswerer({}); }

  // A window over a list file holding these entries.
  static std::unique_ptr<Form10> Open(const Entries& entries, const std::string& title = "",
                                      const std::string& url = "") {
    if (!entries.empty()) {
      EXPECT_TRUE(RewriteDontKill(Module1().DontKillPath, entries));
    }
    return std::make_unique<Form10>(title, url);
  }
  static Entries Rows(Form10& w) {
    Entries rows;
    for (int i = 0; i < w.ListView1.RowCount(); ++i) rows.push_back({w.ListView1.Text(i), w.ListView1.SubItem(i, 1)});
    return rows;
  }
  static void SelectRows(Form10& w, const std::vector<int>& rows) {
    w.ListView1.Tree().get_selection()->unselect_all();
    for (int r : rows) w.ListView1.Select(r, false);
  }
  static void Enter(Form10& w, const std::string& name, const std::string& url) {
    w.Text1.set_text(name);
    w.Text2.set_text(url);
    w.Command1_Click();
  }

  ScriptedAnswers answers;
};

TEST_F(Form10Window, EnterAddressReplacesOrAddsAndClosingWritesTheList) {
  auto w = Open({kAbcd[0], kAbcd[1], kAbcd[2]});
  EXPECT_EQ(Module1().BusyWindowOpen, 1);
  SelectRows(*w, {0, 2});
  w->Check1.set_active(true);
  Enter(*w, "Z", "http://z/");  // takes the place of the first selected row
  EXPECT_FALSE(w->Check1.get_active());
  EXPECT_EQ(w->Text1.get_text(), "");
  EXPECT_EQ(w->Text2.get_text(), "");
  Enter(*w, "Y", "http://y/");  // the box is unticked again: goes after the last row
  const Entries expected = {{"Z", "http://z/"}, kAbcd[1], kAbcd[2], {"Y", "http://y/"}};
  EXPECT_EQ(Rows(*w), expected);
  EXPECT_EQ(ReadDontKill(Module1().DontKillPath), (Entries{kAbcd[0], kAbcd[1], kAbcd[2]}));  // not yet written

  w->Form_QueryUnload();
  EXPECT_EQ(ReadDontKill(Module1().DontKillPath), expected);
  EXPECT_EQ(Module1().BusyWindowOpen, 0);
  EXPECT_TRUE(answers.shown.empty());
}

TEST_F(Form10Window, DeleteAsksFirstUnlessWarningsAreOff) {
  auto w = Open(kAbcd);
  SelectRows(*w, {});
  w->mnuDelete_Click();
  EXPECT_TRUE(answers.shown.empty());  // nothing to delete, nothing to ask

  SelectRows(*w, {0, 2});
  answers.answers = {MsgAnswer::No};
  w->mnuDelete_Click();
  EXPECT_EQ(Rows(*w), kAbcd);
  EXPECT_EQ(answers.shown, std::vector<std::string>{kDeleteQuestion});
  answers.answers = {MsgAnswer::Yes};
  w->mnuDelete_Click();
  EXPECT_EQ(Rows(*w), (Entries{kAbcd[1], kAbcd[3]}));

  Module1().Working.NoDeleteWarnings = 1;
  w->mnuSellAll_Click();
  w->mnuDelete_Click();
  EXPECT_EQ(w->ListView1.RowCount(), 0);
  EXPECT_EQ(answers.shown.size(), 2u);
  w->Form_QueryUnload();
  EXPECT_FALSE(Exists(Module1().DontKillPath));  // an empty list leaves no file
}

TEST_F(Form10Window, BoxesFilledFromThePageOnceThenFromTheSelectedEntry) {
  auto w = Open(kAbcd, "Page Title", "http://page.example/");
  w->Form_Activate();
  w->Text1.set_text("typed");
  w->Form_Activate();  // later activations leave the typing alone
  EXPECT_EQ(w->Text1.get_text(), "typed");
  EXPECT_EQ(w->Text2.get_text(), "http://page.example/");
  w->mnuLoadTexts_Click();  // nothing selected
  EXPECT_EQ(w->Text1.get_text(), "typed");
  SelectRows(*w, {2});
  w->mnuLoadTexts_Click();
  EXPECT_EQ(w->Text1.get_text(), "C");
  EXPECT_EQ(w->Text2.get_text(), "http://C.example/");
}

TEST_F(Form10Window, EmptyBoxesAddAnEmptyEntryAndASaveErrorIsShown) {
  auto w = Open({});
  w->Command1_Click();
  EXPECT_EQ(Rows(*w), (Entries{{"", ""}}));
  Module1().DontKillPath = Home() + "/no such folder/DontKill.dab";
  w->Form_QueryUnload();
  EXPECT_EQ(answers.shown, std::vector<std::string>{"An Error Occurred Opening File And Saving List"});
  EXPECT_EQ(Module1().BusyWindowOpen, 0);  // the window closes all the same
}

TEST_F(Form10Window, LayoutAndToolTipsFollowTheSettings) {
  Module1().Working.DontKillLayout = {9000, 6000, 3000, 4500};  // twips: 600 x 400 px, columns 200 and 300
  auto w = Open({});
  EXPECT_EQ(w->ListView1.ColumnWidth(0), 200);
  EXPECT_EQ(w->ListView1.ColumnWidth(1), 300);
  EXPECT_EQ(w->Text2.get_tooltip_text(), "URL Address You Want Kill Pop-Ups Not To Kill");
  Module1().Working.NoToolTips = 1;
  w->F10ToolT();
  for (Gtk::Widget* c : std::vector<Gtk::Widget*>{&w->Text1, &w->Text2, &w->Command1, &w->Check1})
    EXPECT_EQ(c->get_tooltip_text(), "");
  w->ListView1.SetColumnWidth(1, 250);
  w->Form_QueryUnload();
  EXPECT_EQ(Module1().Working.DontKillLayout, (std::array<float, 4>{9000, 6000, 3000, 3750}));
}

TEST_F(Form10Window, ShownModallyUntilEscape) {
  TheApp().OpenDontKillList(nullptr, "Page Title", "http://page.example/");
  Form10* w = TheApp().DontKillList();
  ASSERT_NE(w, nullptr);
  ASSERT_TRUE(RunUntil([w] { return w->get_mapped(); }));
  EXPECT_TRUE(w->get_modal());
  EXPECT_EQ(w->Text1.get_text(), "Page Title");
  EXPECT_EQ(w->Text2.get_text(), "http://page.example/");
  EXPECT_EQ(Module1().BusyWindowOpen, 1);
  TheApp().OpenDontKillList(nullptr, "Other", "http://other.example/");
  EXPECT_EQ(TheApp().DontKillList(), w);  // one at a time
  w->Command1_Click();
  GdkEvent* esc = gdk_event_new(GDK_KEY_PRESS);
  esc->key.window = GDK_WINDOW(g_object_ref(w->get_window()->gobj()));
  esc->key.keyval = GDK_KEY_Escape;
  gtk_widget_event(GTK_WIDGET(w->gobj()), esc);
  gdk_event_free(esc);
  EXPECT_EQ(TheApp().DontKillList(), nullptr);
  EXPECT_EQ(Module1().BusyWindowOpen, 0);
  EXPECT_EQ(ReadDontKill(Module1().DontKillPath), (Entries{{"Page Title", "http://page.example/"}}));
  RunFor(50);  // freed from the main loop
}

}  // namespace
