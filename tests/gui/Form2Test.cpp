// The list editor window: its handlers driven directly, message boxes and
// the file dialog answered by script, the lists checked on disk. The list
// rules themselves are proven on the files in tests/sitelists; here one case
// each shows the window acts on them and shows the outcome.
#include <glib.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "core/app/Dates.h"
#include "core/app/Module1.h"
#include "core/app/ToolTips.h"
#include "core/sitelists/ListFiles.h"
#include "gui/GuiTest.h"
#include "platform/Dialogs.h"
#include "platform/FileDialogs.h"
#include "platform/fakes/FakeBrowser.h"
#include "ui/browser/Form1.h"
#include "ui/sitelists/Form2.h"

namespace fs = std::filesystem;

namespace {

using Sites = std::vector<SiteRecord>;
using Names = std::vector<std::string>;

class Form2Window : public GuiTest {
 protected:
  void SetUp() override {
    ASSERT_TRUE(PrepareProgram());
    Module1State& m = Module1();
    Settings& s = m.Working;
    s.NoToolTips = 0, s.NoDeleteWarnings = 0, s.BackupInEditor = 1, s.SeparateSelectors = 0;
    s.LastBackupDate = dates::ToOleDate(dates::YearsBack(dates::NowLocal(), 20));
    // Every test starts from the same three categories and no back-up.
    for (const char* dir : {"SiteLists", "BU_SiteLists", "UnDo_SiteLists"}) fs::remove_all(m.UserDataDir + "/" + dir);
    fs::create_directories(m.SiteListsDir);
    fs::create_directories(m.UserDataDir + "/BU_SiteLists");
    ASSERT_TRUE(RewriteCategories(m.CatListPath, {{"News", 1}, {"Sport", 2}, {"Music", 3}}));
    ASSERT_TRUE(
        RewriteSites(Site(1), {{"A", "http://a.example/"}, {"B", "http://b.example/"}, {"C", "http://c.example/"}}));
    ASSERT_TRUE(RewriteSites(Site(2), {{"B", "http://old-b.example/"}}));
    ASSERT_TRUE(RewriteSites(Site(3), {}));
    SetMsgAnswerer(answers.Answerer());
  }

  void TearDown() override {
    TheApp().CloseEditor();
    CloseAllMainWindows();
    while (g_main_context_pending(nullptr)) g_main_context_iteration(nullptr, FALSE);
    SetMsgAnswerer({});
    SetOpenFilesChooser({});
  }

  static std::string Site(int16_t n) { return Module1().SiteListsDir + "/" + SiteFileName(n); }
  static Names SiteNames(int16_t n) {
    Names names;
    for (const auto& s : ReadSites(Site(n))) names.push_back(s.Name);
    return names;
  }
  static Names Rows(ListView& list) {
    Names rows;
    for (int i = 0; i < list.RowCount(); ++i) rows.push_back(list.Text(i));
    return rows;
  }
  static Form2* OpenEditor(Form1* opener = nullptr) {
    TheApp().OpenEditor(opener);
    return TheApp().Editor();
  }
  void Answer(std::initializer_list<MsgAnswer> a) { answers.answers.assign(a.begin(), a.end()); }
  std::string LastShown() const { return answers.shown.empty() ? "" : answers.shown.back(); }

  ScriptedAnswers answers;
};

TEST_F(Form2Window, OpensOnceOnTheFirstCategoryWithToolTipsAndEscCloses) {
  Form2* f = OpenEditor();
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(Module1().BusyWindowOpen, 1);
  EXPECT_EQ(Rows(f->ListView2), (Names{"News", "Sport", "Music"}));
  EXPECT_EQ(Rows(f->ListView1), (Names{"A", "B", "C"}));
  EXPECT_EQ(f->CurrentSiteFile(), Site(1));
  EXPECT_EQ(f->ImageCombo2.get_active_text(), "News");
  EXPECT_EQ(OpenEditor(), f);  // one editor at a time
  // Tooltips, of the buttons, the back-up date (never backed up: none) and the lists.
  const auto& t = Module1().ToolTipTexts;
  const std::vector<std::pair<Gtk::Widget*, std::string>> tips = {
      {&f->Command3, t[tips::kAddCategory]}, {&f->Command9, t[tips::kRestore]}, {&f->ListView2, "News"}};
  for (const auto& [widget, text] : tips) EXPECT_EQ(widget->get_tooltip_text(), text);
  Module1().Working.NoToolTips = 1;
  f->F2ToolT();
  for (const auto& [widget, text] : tips) EXPECT_EQ(widget->get_tooltip_text(), "");

  GdkEventKey esc{};
  esc.type = GDK_KEY_PRESS;
  esc.keyval = GDK_KEY_Escape;
  EXPECT_TRUE(f->Form_KeyDown(&esc));
  EXPECT_EQ(TheApp().Editor(), nullptr);
  EXPECT_EQ(Module1().BusyWindowOpen, 0);
}

TEST_F(Form2Window, AddAndDeleteCategories) {
  Form2* f = OpenEditor();
  f->Text1.set_text("News");
  f->Command3_Click();
  EXPECT_EQ(LastShown(), "You Already Have A Category Named:\nNews");
  EXPECT_EQ(f->Text1.get_text(), "News");
  f->Text1.set_text("Films");
  f->Command3_Click();
  EXPECT_EQ(Rows(f->ListView2), (Names{"News", "Sport", "Music", "Films"}));
  EXPECT_EQ(f->ImageCombo2.get_model()->children().size(), 4u);
  EXPECT_EQ(f->Text1.get_text(), "");

  f->ListView2.Select(1);
  Answer({MsgAnswer::No});
  f->Command4_Click();
  EXPECT_EQ(LastShown(), "Deleted The Selected Category And Its Site List?");
  EXPECT_EQ(ReadCategories(Module1().CatListPath).size(), 4u);
  Answer({MsgAnswer::Yes});
  f->Command4_Click();
  EXPECT_EQ(Rows(f->ListView2), (Names{"News", "Music", "Films"}));
  EXPECT_EQ(f->CurrentSiteFile(), Site(3));  // the next category is selected with its sites

  // Without warnings, everything goes at once.
  Module1().Working.NoDeleteWarnings = 1;
  const std::size_t shown = answers.shown.size();
  while (f->ListView2.RowCount() > 0) f->Command4_Click();
  EXPECT_EQ(answers.shown.size(), shown);
  EXPECT_EQ(f->CurrentSiteFile(), "");
  EXPECT_EQ(f->ListView1.RowCount(), 0);
  EXPECT_EQ(f->ImageCombo2.get_model()->children().size(), 0u);
  f->Command5_Click();  // no category to add to
  EXPECT_EQ(LastShown(), "First, Create At Least One Category Before Adding The Page.");
}

TEST_F(Form2Window, RenameInPlace) {
  Form2* f = OpenEditor();
  f->ListView_BeforeLabelEdit(2);
  f->ListView_AfterLabelEdit(2, 0, "Sport");
  EXPECT_EQ(LastShown(), "Edit Cancelled: Name Entered Is Already On Your List.");
  EXPECT_EQ(f->ListView2.Text(0), "News");

  // A list that changed while the name was edited cancels the edit.
  f->ListView_BeforeLabelEdit(1);
  f->Text2.set_text("http://new.example/");
  f->Command5_Click();
  f->ListView_AfterLabelEdit(1, 0, "Renamed");
  EXPECT_EQ(LastShown(), "Be Sure To Click Down The Name Edit Box\nBefore Proceeding With Other Edits.");
  EXPECT_EQ(SiteNames(1)[0], "A");

  // Through the list's own editor: type and press Enter.
  f->ListView2.StartLabelEdit(2);
  ASSERT_TRUE(RunUntil([&] { return f->ListView2.Editing(); }, 5000));
  auto* entry = dynamic_cast<Gtk::Entry*>(f->get_focus());
  ASSERT_NE(entry, nullptr);
  entry->set_text("Tunes");
  entry->activate();
  ASSERT_TRUE(RunUntil([&] { return !f->ListView2.Editing(); }, 5000));
  EXPECT_EQ(ReadCategories(Module1().CatListPath)[2], (CategoryRecord{"Tunes", 3}));
  EXPECT_EQ(f->ListView2.Text(2), "Tunes");
}

TEST_F(Form2Window, TypedAddresses) {
  Form2* f = OpenEditor();
  f->Text2.set_text("http://a.example/");
  f->Command5_Click();
  EXPECT_EQ(LastShown(), "The URL Address You Entered Is Already On The List:\nhttp://a.example/");
  EXPECT_EQ(f->Text2.get_text(), "http://");
  f->Text2.set_text("http://new.example/");
  f->Command5_Click();
  EXPECT_EQ(ReadSites(Site(1)).back(), (SiteRecord{"", "http://new.example/"}));
  EXPECT_EQ(f->ListView1.SelectedRows(), std::vector<int>{3});
  EXPECT_EQ(f->Text2.get_text(), "http://");
}

TEST_F(Form2Window, CopyAndMoveThroughThePopUpMenu) {
  Form2* f = OpenEditor();
  f->PreparePopup(2);
  EXPECT_FALSE(f->mnuCopyToCat.get_sensitive());
  f->PreparePopup(1);
  EXPECT_TRUE(f->mnuCopyToCat.get_sensitive());

  f->mnuSelectAll_Click();
  f->mnuCopyToCat_Click();  // the destination starts out as the source
  EXPECT_EQ(LastShown(), "Can't Copy:\nSource And Destination Categories Are The Same");

  f->ImageCombo2.set_active(1);
  Answer({MsgAnswer::Yes});
  f->mnuCopyToCat_Click();
  EXPECT_EQ(LastShown(), "Confirm: Copy The Selected Sites? ..To:\nSport");
  EXPECT_EQ(SiteNames(2), (Names{"B", "A", "B(1)", "C"}));
  EXPECT_EQ(f->ListView1.RowCount(), 3);

  f->ImageCombo2.set_active(2);
  f->mnuSelectAll_Click();
  Answer({MsgAnswer::Yes});
  f->mnuMoveToCat_Click();
  EXPECT_EQ(SiteNames(3), (Names{"C", "B", "A"}));
  EXPECT_EQ(f->ListView1.RowCount(), 0);
}

TEST_F(Form2Window, ReorderAndSortTheActiveList) {
  Form2* f = OpenEditor();
  f->PreparePopup(1);
  f->ListView1.Select(0);
  f->mnuToBot_Click();
  EXPECT_EQ(SiteNames(1), (Names{"B", "C", "A"}));
  EXPECT_EQ(f->ListView1.SelectedRows(), std::vector<int>{2});  // the selection moves along

  f->PreparePopup(2);
  f->ListView2.Select(1);  // Sport
  f->mnuSortAscend_Click();
  EXPECT_EQ(Rows(f->ListView2), (Names{"Music", "News", "Sport"}));
  EXPECT_EQ(f->ListView2.SelectedIndex(), 2);
  EXPECT_EQ(f->CurrentSiteFile(), Site(2));
  f->mnuToTop_Click();
  EXPECT_EQ(ReadCategories(Module1().CatListPath)[0], (CategoryRecord{"Sport", 2}));
}

TEST_F(Form2Window, BackUpRestoreUndoAndClosingMakesARestoreFinal) {
  Form2* f = OpenEditor();
  Answer({MsgAnswer::Yes});
  f->Command9_Click();  // nothing backed up yet
  EXPECT_EQ(LastShown(), "Restore Imposible: There Aren't Any Files In Your Back-Up Dir");
  EXPECT_EQ(f->Command9.get_label(), "Undo");
  EXPECT_EQ(f->ListView2.RowCount(), 0);
  f->Command9_Click();
  EXPECT_EQ(f->Command9.get_label(), "Restore");
  EXPECT_EQ(Rows(f->ListView2), (Names{"News", "Sport", "Music"}));

  Answer({MsgAnswer::Yes});
  f->Command8_Click();
  EXPECT_EQ(LastShown(), "Confirm: Do You Want To Back-Up Your Files?");
  EXPECT_EQ(f->Command9.get_tooltip_text().find(Module1().ToolTipTexts[tips::kRestore] + " -Last BU: "), 0u);
  f->Text1.set_text("After Back-Up");
  f->Command3_Click();
  Answer({MsgAnswer::Yes});
  f->Command9_Click();
  EXPECT_EQ(f->Command9.get_label(), "Undo");
  EXPECT_EQ(Rows(f->ListView2), (Names{"News", "Sport", "Music"}));
  TheApp().CloseEditor();
  EXPECT_FALSE(Exists(Module1().UserDataDir + "/UnDo_SiteLists"));
  EXPECT_EQ(OpenEditor()->Command9.get_label(), "Restore");
}

// An old undo folder that cannot be removed refuses the restore, and the
// button stays "Restore": an "Undo" would put that half-deleted folder back.
TEST_F(Form2Window, ARestoreRefusedByAStuckUndoFolderOffersNoUndo) {
  const std::string undo = Module1().UserDataDir + "/UnDo_SiteLists";
  fs::create_directories(undo + "/stuck");  // removing an undo folder removes files only
  Form2* f = OpenEditor();
  Answer({MsgAnswer::Yes});
  f->Command9_Click();
  EXPECT_EQ(LastShown().rfind("Can Not Restore. An -UnDo- In The Past Errored.", 0), 0u);
  EXPECT_EQ(f->Command9.get_label(), "Restore");
  EXPECT_EQ(Rows(f->ListView2), (Names{"News", "Sport", "Music"}));
}

// A category list that is there but cannot be read is reported and never
// rewritten by the next edit.
TEST_F(Form2Window, AnUnreadableCategoryListIsReportedAndKept) {
  MakeUnreadable(Module1().CatListPath);
  Form2* f = OpenEditor();
  EXPECT_EQ(LastShown(), "An Error Occurred Opening File And Loading Category Selector List");
  f->Text1.set_text("New");
  f->Command3_Click();
  EXPECT_EQ(LastShown(), "An Error Occurred Opening Files And Getting New Filename");
  EXPECT_TRUE(StillUnreadable(Module1().CatListPath));
}

// A click on the category already selected sets the copy/move destination
// back to it and reads its sites again.
TEST_F(Form2Window, ClickingTheSelectedCategoryResetsTheDestinationAndRereads) {
  Form2* f = OpenEditor();
  f->ImageCombo2.set_active(2);
  ASSERT_TRUE(RewriteSites(Site(1), {{"Z", "http://z.example/"}}));
  f->ListView2.Click.emit();
  EXPECT_EQ(f->ImageCombo2.get_active_text(), "News");
  EXPECT_EQ(Rows(f->ListView1), (Names{"Z"}));
}

TEST_F(Form2Window, ImportFavourites) {
  TempDir favs;
  WriteString(favs / "Daily.URL", "[InternetShortcut]\r\nURL=http://daily.example/\r\n");
  OpenFilesRequest asked;
  std::vector<std::string> chosen = {favs / "Daily.URL"};
  SetOpenFilesChooser([&](const OpenFilesRequest& r) {
    asked = r;
    return chosen;
  });
  Form2* f = OpenEditor();
  f->ListView2.Select(2);
  f->Command7_Click();
  EXPECT_EQ(asked.filter, "Favorites |*.URL;*.url;*.Url");
  EXPECT_TRUE(asked.multiple);
  EXPECT_EQ(ReadSites(Site(3)), (Sites{{"Daily", "http://daily.example/"}}));
  EXPECT_EQ(Rows(f->ListView1), (Names{"Daily"}));

  chosen.clear();  // cancelled
  f->Command7_Click();
  EXPECT_EQ(asked.folder, favs.path());  // opens where the last import was
  EXPECT_EQ(ReadSites(Site(3)).size(), 1u);
}

TEST_F(Form2Window, AddPageAndClosingRefreshTheMainWindow) {
  Form1* w = OpenWindow(std::make_unique<FakeBrowser>());
  static_cast<FakeBrowser&>(w->WebBrowser1).titles["http://page.example/"] = "A Page";
  w->WebBrowser1.Navigate("http://page.example/");
  ASSERT_EQ(w->PageTitle(), "A Page");
  const int rowsBefore = w->ListView2.RowCount();

  Form2* f = OpenEditor(w);
  f->ListView2.Select(2);
  f->Command1_Click();
  EXPECT_EQ(ReadSites(Site(3)), (Sites{{"A Page", "http://page.example/"}}));
  f->Text1.set_text("Later");
  f->Command3_Click();
  EXPECT_EQ(w->ListView2.RowCount(), rowsBefore);  // the selector is refreshed on closing

  f->ListView1.SetColumnWidth(0, 123);
  ASSERT_TRUE(RunUntil([&] { return f->ListView1.ColumnWidth(0) == 123; }, 5000));
  TheApp().CloseEditor();
  EXPECT_EQ(w->ListView2.RowCount(), rowsBefore + 2);
  EXPECT_EQ(w->ListView2.Text(w->ListView2.RowCount() - 1), "Later");
  EXPECT_EQ(Module1().Working.EditorColWidth[0], 123 * 15);
}

}  // namespace
