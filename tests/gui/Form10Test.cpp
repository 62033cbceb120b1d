// The don't-kill list window: adding and replacing, deleting with and
// without the question, the boxes filled from the page, and the file
// written on closing.
#include <gdk/gdkkeysyms.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "app/Main.h"
#include "app/Module1.h"
#include "gui/GuiTest.h"
#include "platform/Dialogs.h"
#include "popups/Form10.h"
#include "sitelists/ListFiles.h"

namespace {

const char* const kDeleteQuestion = "Deleted The Selected Addresses(s) From Site List?";

using Entries = std::vector<SiteRecord>;

Entries Abcd(int n) {
  Entries e;
  for (int i = 0; i < n; ++i) {
    const std::string c(1, static_cast<char>('A' + i));
    e.push_back({c, "http://" + c + ".example/"});
  }
  return e;
}

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
  std::unique_ptr<Form10> Open(const Entries& entries, const std::string& title = "",
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

  ScriptedAnswers answers;
};

TEST_F(Form10Window, EnterAddressAddsOrReplaces) {
  const SiteRecord n {"New", "http://new.example/"};
  struct Row {
    const char* name;
    int listed;
    std::vector<int> selected;
    bool replace;
    Entries expected;
  } rows[] = {
      {"adding goes after the last row", 3, {0}, false, {Abcd(3)[0], Abcd(3)[1], Abcd(3)[2], n}},
      {"replacing takes the selected row's place", 3, {1}, true, {Abcd(3)[0], n, Abcd(3)[2]}},
      {"replacing with nothing selected adds", 2, {}, true, {Abcd(2)[0], Abcd(2)[1], n}},
      {"replacing in an empty list adds", 0, {}, true, {n}},
      {"replacing with several selected takes the first", 3, {0, 2}, true, {n, Abcd(3)[1], Abcd(3)[2]}},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    std::remove(Module1().DontKillPath.c_str());
    auto w = Open(Abcd(r.listed));
    SelectRows(*w, r.selected);
    w->Check1.set_active(r.replace);
    w->Text1.set_text(n.Name);
    w->Text2.set_text(n.URL);
    w->Command1_Click();
    EXPECT_EQ(Rows(*w), r.expected);
    EXPECT_FALSE(w->Check1.get_active());
    EXPECT_EQ(w->Text1.get_text(), "");
    EXPECT_EQ(w->Text2.get_text(), "");
  }
}

TEST_F(Form10Window, EmptyBoxesAddAnEmptyEntry) {
  auto w = Open({});
  w->Command1_Click();
  EXPECT_EQ(Rows(*w), (Entries {{"", ""}}));
}

TEST_F(Form10Window, DeleteAsksFirstUnlessWarningsAreOff) {
  auto w = Open(Abcd(4));
  SelectRows(*w, {0, 2});
  answers.answers = {MsgAnswer::No};
  w->mnuDelete_Click();
  EXPECT_EQ(Rows(*w), Abcd(4));
  ASSERT_EQ(answers.shown.size(), 1u);
  EXPECT_EQ(answers.shown[0], kDeleteQuestion);

  answers.answers = {MsgAnswer::Yes};
  w->mnuDelete_Click();
  EXPECT_EQ(Rows(*w), (Entries {Abcd(4)[1], Abcd(4)[3]}));

  Module1().Working.NoDeleteWarnings = 1;
  SelectRows(*w, {1});
  w->mnuDelete_Click();
  EXPECT_EQ(Rows(*w), (Entries {Abcd(4)[1]}));
  EXPECT_EQ(answers.shown.size(), 2u);
}

TEST_F(Form10Window, NothingSelectedIsNothingToDelete) {
  auto w = Open(Abcd(2));
  SelectRows(*w, {});
  answers.answers = {MsgAnswer::Yes};
  w->mnuDelete_Click();
  EXPECT_TRUE(answers.shown.empty());
  EXPECT_EQ(Rows(*w), Abcd(2));
}

TEST_F(Form10Window, DeletingEverythingLeavesNoFile) {
  auto w = Open(Abcd(3));
  w->mnuSellAll_Click();
  EXPECT_EQ(w->ListView1.SelectedRows(), (std::vector<int> {0, 1, 2}));
  answers.answers = {MsgAnswer::Yes};
  w->mnuDelete_Click();
  EXPECT_EQ(w->ListView1.RowCount(), 0);
  EXPECT_TRUE(Exists(Module1().DontKillPath));  // nothing is written while the window is open
  w->Form_QueryUnload();
  EXPECT_FALSE(Exists(Module1().DontKillPath));
  EXPECT_TRUE(answers.shown == std::vector<std::string> {kDeleteQuestion});
}

TEST_F(Form10Window, LoadToEditCopiesTheSelectedEntry) {
  auto w = Open(Abcd(3));
  w->Text1.set_text("typed");
  SelectRows(*w, {});
  w->mnuLoadTexts_Click();
  EXPECT_EQ(w->Text1.get_text(), "typed");
  SelectRows(*w, {2});
  w->mnuLoadTexts_Click();
  EXPECT_EQ(w->Text1.get_text(), "C");
  EXPECT_EQ(w->Text2.get_text(), "http://C.example/");
}

TEST_F(Form10Window, FirstActivationFillsTheBoxesFromThePage) {
  std::string title;
  for (int i = 0; i < 150; ++i) title += i < 139 ? "t" : "\xC3\xA9";  // the 140th character is two bytes
  const std::string url = "http://example.com/" + std::string(300, 'p');
  auto w = Open({}, title, url);
  w->Form_Activate();
  EXPECT_EQ(w->Text1.get_text(), std::string(139, 't') + "\xC3\xA9");
  EXPECT_EQ(w->Text2.get_text(), url.substr(0, 260));
  // Later activations leave the user's typing alone.
  w->Text1.set_text("mine");
  w->Form_Activate();
  EXPECT_EQ(w->Text1.get_text(), "mine");
}

TEST_F(Form10Window, ClosingWritesTheListInOrder) {
  auto w = Open(Abcd(3));
  EXPECT_EQ(Module1().BusyWindowOpen, 1);
  EXPECT_EQ(Rows(*w), Abcd(3));
  SelectRows(*w, {0});
  w->Check1.set_active(true);
  w->Text1.set_text("Z");
  w->Text2.set_text("http://z/");
  w->Command1_Click();
  w->Text1.set_text("Y");
  w->Text2.set_text("http://y/");
  w->Command1_Click();
  EXPECT_EQ(ReadDontKill(Module1().DontKillPath), Abcd(3));
  w->Form_QueryUnload();
  EXPECT_EQ(ReadDontKill(Module1().DontKillPath),
            (Entries {{"Z", "http://z/"}, Abcd(3)[1], Abcd(3)[2], {"Y", "http://y/"}}));
  EXPECT_EQ(Module1().BusyWindowOpen, 0);
  EXPECT_TRUE(answers.shown.empty());
}

TEST_F(Form10Window, SaveErrorIsShownAndTheWindowStillCloses) {
  auto w = Open({});
  w->Command1_Click();
  Module1().DontKillPath = Home() + "/no such folder/DontKill.dab";
  w->Form_QueryUnload();
  EXPECT_TRUE(answers.shown == std::vector<std::string> {"An Error Occurred Opening File And Saving List"});
  EXPECT_EQ(Module1().BusyWindowOpen, 0);
}

TEST_F(Form10Window, LayoutComesFromAndGoesBackToTheSettings) {
  Module1().Working.DontKillLayout = {9000, 6000, 3000, 4500};  // twips: 600 x 400 px, columns 200 and 300
  auto w = Open({});
  EXPECT_EQ(w->ListView1.ColumnWidth(0), 200);
  EXPECT_EQ(w->ListView1.ColumnWidth(1), 300);
  w->ListView1.SetColumnWidth(1, 250);
  w->Form_QueryUnload();
  const std::array<float, 4> expected {9000, 6000, 3000, 3750};
  EXPECT_EQ(Module1().Working.DontKillLayout, expected);
}

TEST_F(Form10Window, ToolTipsFollowTheOption) {
  auto w = Open({});
  EXPECT_EQ(w->Text2.get_tooltip_text(), "URL Address You Want Kill Pop-Ups Not To Kill");
  EXPECT_EQ(w->Check1.get_tooltip_text(),
            "When -Enter Address- Is Clicked, Replace The Selected List Item, Instead Of Adding To List");
  Module1().Working.NoToolTips = 1;
  w->F10ToolT();
  for (Gtk::Widget* c : std::vector<Gtk::Widget*> {&w->Text1, &w->Text2, &w->Command1, &w->Check1})
    EXPECT_EQ(c->get_tooltip_text(), "");
}

TEST_F(Form10Window, ShownModallyUntilEscape) {
  std::string name, url;
  int busy = -1;
  Glib::signal_timeout().connect(
      [&] {
        Form10* w = Form10::Instance();
        if (!w || !w->get_mapped()) return true;
        name = w->Text1.get_text();
        url = w->Text2.get_text();
        busy = Module1().BusyWindowOpen;
        w->Command1_Click();
        GdkEvent* esc = gdk_event_new(GDK_KEY_PRESS);
        esc->key.window = GDK_WINDOW(g_object_ref(w->get_window()->gobj()));
        esc->key.keyval = GDK_KEY_Escape;
        gtk_widget_event(GTK_WIDGET(w->gobj()), esc);
        gdk_event_free(esc);
        return false;
      },
      20);
  // Should the window never appear, close it rather than hang.
  sigc::connection guard = Glib::signal_timeout().connect_seconds(
      [] {
        ADD_FAILURE() << "the window did not show";
        if (Form10* w = Form10::Instance()) w->Form_QueryUnload();
        return false;
      },
      20);
  Form10::ShowModal(nullptr, "Page Title", "http://page.example/");
  guard.disconnect();
  EXPECT_EQ(name, "Page Title");
  EXPECT_EQ(url, "http://page.example/");
  EXPECT_EQ(busy, 1);
  EXPECT_EQ(Form10::Instance(), nullptr);
  EXPECT_EQ(Module1().BusyWindowOpen, 0);
  EXPECT_EQ(ReadDontKill(Module1().DontKillPath), (Entries {{"Page Title", "http://page.example/"}}));
}

}  // namespace
