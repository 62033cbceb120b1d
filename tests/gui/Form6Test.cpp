// The History window over the fake engine: day files written by the test,
// the window's handlers driven directly, message boxes answered by script.
// The searches themselves are proven on files in tests/core/history.
#include <gdk/gdkkeysyms.h>
#include <glib.h>

#include <filesystem>
#include <string>
#include <vector>

#include "core/app/Dates.h"
#include "core/app/Module1.h"
#include "core/app/Options.h"
#include "core/app/ToolTips.h"
#include "core/history/DayChart.h"
#include "core/history/HistoryLog.h"
#include "core/sitelists/ListFiles.h"
#include "gui/GuiTest.h"
#include "platform/Desktop.h"
#include "platform/Dialogs.h"
#include "platform/fakes/FakeBrowser.h"
#include "ui/browser/Form1.h"
#include "ui/history/Form6.h"
#include "ui/sitelists/Form2.h"

namespace fs = std::filesystem;

namespace {

using Names = std::vector<std::string>;

struct Page {
  std::string title, url, host;
  int32_t hits = 1;
};

int64_t Today() {
  const LocalDateTime now = dates::NowLocal();
  return dates::DayNumber(now.year, now.month, now.day);
}

std::string DayPath(int64_t ago) {
  return Module1().HistoryDir + "/" + DayFileName(dates::FromDayNumber(Today() - ago));
}

void WriteDay(int64_t ago, const std::vector<Page>& pages) {
  std::vector<unsigned char> bytes;
  int n = 0;
  for (const auto& p : pages) {
    const auto rec = EncodeHistoryRecord(
        {static_cast<double>(Today() - ago) + 0.25 + (n++) / 86400.0, p.hits, p.title, p.url, p.host});
    bytes.insert(bytes.end(), rec.begin(), rec.end());
  }
  WriteBytes(DayPath(ago), bytes);
}

Names Texts(const ListView& list) {
  Names out;
  for (int i = 0; i < list.RowCount(); ++i) out.push_back(list.Text(i));
  return out;
}

Names Urls(const ListView& list) {
  Names out;
  for (int i = 0; i < list.RowCount(); ++i) out.push_back(list.SubItem(i, 3));
  return out;
}

class Form6Window : public GuiTest {
 protected:
  void SetUp() override {
    ASSERT_TRUE(PrepareProgram());
    Module1State& m = Module1();
    Settings& s = m.Working;
    s.HistoryDays = 7, s.NoToolTips = 0, s.NoDeleteWarnings = 0, s.StoreDupUrls = 0;
    s.HistOneClick = 0, s.HistPushUp = 0, s.HistDupes = 0, s.HistShowTime = 0, s.HistOnTop = 0;
    s.HistoryLayout = {};
    fs::remove_all(m.HistoryDir);
    fs::create_directories(m.HistoryDir);
    SetMsgAnswerer(answers.Answerer());
  }

  void TearDown() override {
    TheApp().CloseEditor();
    TheApp().CloseHistory();
    CloseAllMainWindows();
    while (g_main_context_pending(nullptr)) g_main_context_iteration(nullptr, FALSE);
    SetMsgAnswerer({});
  }

  // The usual files: two pages today, one of them seen again two days ago,
  // and a host of its own three days ago.
  static void UsualDays() {
    WriteDay(0, {{"Alpha", "http://a.com/1", "a.com", 3}, {"Beta", "http://b.com/x", "b.com"}});
    WriteDay(2, {{"Alpha", "http://a.com/1", "a.com"}});
    WriteDay(3, {{"Gamma", "http://c.com/z", "c.com"}, {"Beta two", "http://b.com/y", "b.com"}});
  }

  static Form6* Open() {
    Form1* w = MainWindows().empty() ? OpenWindow(std::make_unique<FakeBrowser>()) : MainWindows().front();
    w->mnuHistList.activate();
    return TheApp().History();
  }

  // Runs a search to its end.
  static void Search(Form6* f, const std::string& period, int mode, const std::string& text = "") {
    for (std::size_t i = 0; i < f->Periods().size(); ++i)
      if (f->Periods()[i].text == period) f->Combo1.set_active(static_cast<int>(i));
    ASSERT_EQ(f->Combo1.get_active_text(), period);
    f->Combo2.set_active(mode);
    f->Text1.set_text(text);
    f->ImgButton1_Click();
    ASSERT_TRUE(RunUntil([f] { return !f->Searching(); }));
  }

  void Answer(std::initializer_list<MsgAnswer> a) { answers.answers.assign(a.begin(), a.end()); }
  std::string LastShown() const { return answers.shown.empty() ? "" : answers.shown.back(); }

  ScriptedAnswers answers;
};

TEST_F(Form6Window, LoadFillsTheControlsFromTheSettingsAndPurgesFirst) {
  UsualDays();
  WriteDay(9, {{"Old", "http://old.com/", "old.com"}});  // beyond the week kept
  Settings& s = Module1().Working;
  s.HistOneClick = 1, s.HistDupes = 1, s.HistShowTime = 1;
  s.HistoryLayout[4] = 3000;  // today's title column, in twips
  s.HistoryLayout[5] = -15;   // a negative width hides its column
  s.HistoryLayout[6] = 1500;
  s.HistoryLayout[7] = 1500;

  Form6* f = Open();
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(f->get_title(), std::string("History List - ") + kAppTitle);
  EXPECT_EQ(Module1().HistoryWindowLoaded, 1);
  EXPECT_FALSE(Exists(DayPath(9)));
  EXPECT_EQ(Texts(f->ListView1), (Names{"Alpha", "Beta"}));
  EXPECT_EQ(f->ListView1.SubItem(0, 1), "3");
  EXPECT_EQ(f->ListView1.Tree().get_column(0)->get_title(), "2 Page Titles");
  EXPECT_EQ(f->ListView1.ColumnWidth(0), 200);
  EXPECT_FALSE(f->ListView1.Tree().get_column(1)->get_visible());
  EXPECT_EQ(f->Combo1.get_active_text(), "0-7 Days Ago");
  EXPECT_EQ(f->Combo1.get_model()->children().size(), 5u);  // 0-7, 0-6 and three days
  EXPECT_EQ(f->Combo2.get_active_text(), "Host Sort");
  EXPECT_EQ(f->TabStrip1.get_current_page(), 0);
  EXPECT_EQ(std::make_tuple(f->Check1.get_active(), f->Check2.get_active(), f->Check3.get_active(),
                            f->Check4.get_active(), f->Check5.get_active()),
            std::make_tuple(true, false, true, true, false));
  EXPECT_EQ(f->Combo1.get_tooltip_text(), Module1().ToolTipTexts[tips::kPeriod]);

  // One window per process; a click on a check box is in the settings at once.
  EXPECT_EQ(Open(), f);
  f->Check2.set_active(true);
  f->Check1.set_active(false);
  EXPECT_EQ(std::make_pair(s.HistPushUp, s.HistOneClick), std::make_pair(int16_t{1}, int16_t{0}));

  // Tool tips off clears them.
  s.NoToolTips = 1;
  f->F6ToolT();
  EXPECT_EQ(f->Combo1.get_tooltip_text(), "");

  // Escape closes; the layout is saved.
  GdkEventKey key{};
  key.type = GDK_KEY_PRESS;
  key.keyval = GDK_KEY_Escape;
  EXPECT_TRUE(f->Form_KeyDown(&key));
  EXPECT_EQ(TheApp().History(), nullptr);
  EXPECT_EQ(Module1().HistoryWindowLoaded, 0);
  EXPECT_FLOAT_EQ(s.HistoryLayout[4], 3000);
  EXPECT_FLOAT_EQ(s.HistoryLayout[5], 0);
  EXPECT_GT(s.HistoryLayout[2], 0);
}

// The period list takes only plain files; a folder named like a day file is
// no day; with only other files the kept period is still offered. Today's
// list loads its count into the header only while tooltips are on.
TEST_F(Form6Window, PeriodsComeFromPlainFilesAndTheHeaderFollowsTheTooltips) {
  Module1().Working.NoToolTips = 1;
  WriteDay(0, {{"Alpha", "http://a.com/1", "a.com"}});
  fs::create_directories(DayPath(2));
  WriteBytes(Module1().HistoryDir + "/notes.txt", {});
  Form6* f = Open();
  EXPECT_EQ(f->ListView1.Tree().get_column(0)->get_title(), "Page Titles");
  Names periods;
  for (const auto& p : f->Periods()) periods.push_back(p.text);
  ASSERT_EQ(periods.size(), 3u);  // 0-7, 0-6 and today; no day two days ago
  EXPECT_EQ(periods[0], "0-7 Days Ago");
  fs::remove(DayPath(0));
  f->LodComb1();
  EXPECT_EQ(f->Periods().size(), 1u);  // notes.txt alone still offers the kept period
}

TEST_F(Form6Window, TheHistoryCycleButtonOpensIt) {
  Module1().Working.CycleMode9 = 0;
  Form1* w = OpenWindow(std::make_unique<FakeBrowser>());
  w->Command9_Click();
  EXPECT_NE(TheApp().History(), nullptr);
}

TEST_F(Form6Window, TodayListFollowsPageLogging) {
  Form1* w = OpenWindow(std::make_unique<FakeBrowser>());
  Form6* f = Open();
  ASSERT_EQ(f->ListView1.RowCount(), 0);
  // Through the main window's own logging of a finished page.
  auto& fake = static_cast<FakeBrowser&>(w->WebBrowser1);
  fake.titles["http://one.example/"] = "One";
  fake.Navigate("http://one.example/");
  ASSERT_TRUE(RunUntil([f] { return f->ListView1.RowCount() == 1; }));
  EXPECT_EQ(f->ListView1.Tree().get_column(0)->get_title(), "1 Page Titles");
  EXPECT_EQ(f->ListView1.SubItem(0, 3), "http://one.example/");

  HistoryLogContext ctx;
  ctx.historyDir = Module1().HistoryDir;
  ctx.now = dates::NowLocal();
  ctx.listener = TheApp().History();
  LogHistoryPage(ctx, "Two", "http://two.example/");
  LogHistoryPage(ctx, "One", "http://one.example/");
  EXPECT_EQ(Texts(f->ListView1), (Names{"One", "Two"}));
  EXPECT_EQ(f->ListView1.SubItem(0, 1), "2");
  EXPECT_EQ(f->ListView1.SubItem(1, 2), DateText(dates::ToOleDate(ctx.now), false));
  // Sorted by title descending, a hit still lands on its own row.
  f->ListView_ColumnClick(1, 0);
  f->ListView_ColumnClick(1, 0);
  EXPECT_EQ(Texts(f->ListView1), (Names{"Two", "One"}));
  LogHistoryPage(ctx, "Two", "http://two.example/");
  EXPECT_EQ(f->ListView1.SubItem(0, 1), "2");

  // The first page of a new day starts the list again.
  const LocalDateTime tomorrow = dates::FromDayNumber(Today() + 1);
  ctx.now = {tomorrow.year, tomorrow.month, tomorrow.day, 0, 0, 5};
  LogHistoryPage(ctx, "Three", "http://three.example/");
  EXPECT_EQ(Texts(f->ListView1), (Names{"Three"}));
  EXPECT_EQ(f->ListView1.Tree().get_column(0)->get_title(), "1 Page Titles");
  fs::remove(Module1().HistoryDir + "/" + DayFileName(ctx.now));

  // Closed, the next page is logged without it.
  TheApp().CloseHistory();
  EXPECT_EQ(Module1().HistoryWindowLoaded, 0);
  fake.titles["http://four.example/"] = "Four";
  fake.Navigate("http://four.example/");
  ASSERT_TRUE(RunUntil([] { return ReadDayFile(DayPath(0)).size() == 3; }));
}

TEST_F(Form6Window, NavigatesInTheMainWindowActivatedLast) {
  UsualDays();
  Form1* first = OpenWindow(std::make_unique<FakeBrowser>());
  Form1* second = OpenWindow(std::make_unique<FakeBrowser>());
  Form6* f = Open();
  auto& one = static_cast<FakeBrowser&>(first->WebBrowser1);
  auto& two = static_cast<FakeBrowser&>(second->WebBrowser1);
  one.navigations.clear(), two.navigations.clear();

  first->Form_Activate();
  f->ListView1.Select(1);
  f->mnuNavTo_Click();
  second->Form_Activate();
  f->ListView1.Select(0);
  f->ListView_DblClick(1);
  EXPECT_EQ(one.navigations, (Names{"http://b.com/x"}));
  EXPECT_EQ(two.navigations, (Names{"http://a.com/1"}));

  // A single click navigates only in 1-click mode, and not the click that
  // goes with a right-button release.
  f->ListView_Click(1);
  f->Check1.set_active(true);
  f->ListView_Click(1);
  EXPECT_EQ(two.navigations.size(), 2u);
  GdkEventButton up{};
  up.type = GDK_BUTTON_RELEASE;
  up.button = 3;
  up.window = f->ListView1.Tree().get_bin_window()->gobj();
  f->ListView_MouseUp(1, &up);
  f->mnu6Pop1.popdown();
  f->ListView_Click(1);
  EXPECT_EQ(two.navigations.size(), 2u);
  f->ListView_Click(1);
  EXPECT_EQ(two.navigations.size(), 3u);
}

TEST_F(Form6Window, SearchesShowRowsAndRefuseWhatCannotBeSearched) {
  Form6* f = Open();
  // No day files: no period to choose.
  f->ImgButton1_Click();
  EXPECT_EQ(LastShown(), "Can't Search...No Time Period Was Selected In The First Selector");
  f->Form_QueryUnload();

  UsualDays();
  f = Open();
  f->Combo2.set_active(3);
  f->Text1.set_text("  ");
  f->ImgButton1_Click();
  EXPECT_EQ(LastShown(), "Can't Search...No Text Was Entered In The Text Box");
  EXPECT_EQ(f->Text1.get_text(), "");
  EXPECT_FALSE(f->Searching());

  Search(f, "0-7 Days Ago", 0);
  EXPECT_EQ(f->TabStrip1.get_current_page(), 1);
  EXPECT_EQ(Urls(f->ListView2),
            (Names{"", "http://c.com/z", "", "http://b.com/y", "http://b.com/x", "", "http://a.com/1"}));
  EXPECT_EQ(f->ListView2.Tree().get_column(0)->get_title(), "4 Page Titles    3 Hosts");
  EXPECT_TRUE(f->ImgButton1.get_visible() && f->Combo1.get_sensitive() && !f->ImgButton2.get_visible());

  // A host's header row opens up to that host's pages, oldest first.
  f->ListView2.Select(2);
  f->mnuShowHostsPages_Click();
  ASSERT_TRUE(RunUntil([f] { return !f->Searching(); }));
  EXPECT_EQ(Urls(f->ListView2), (Names{"http://b.com/y", "http://b.com/x"}));

  // Sorting by Hits orders numbers; a new search returns to the gathered order.
  WriteDay(1, {{"Ten", "http://d.com/10", "d.com", 10}, {"Two", "http://d.com/2", "d.com", 2}});
  f->LodComb1();
  Search(f, "0-7 Days Ago", 2);
  EXPECT_EQ(Texts(f->ListView2), (Names{"Gamma", "Beta two", "Alpha", "Ten", "Two", "Beta"}));
  f->ListView_ColumnClick(2, 1);
  EXPECT_EQ(Texts(f->ListView2), (Names{"Gamma", "Beta two", "Alpha", "Beta", "Two", "Ten"}));
  f->ListView_ColumnClick(2, 1);
  EXPECT_EQ(f->ListView2.Text(0), "Ten");
  Search(f, "0-7 Days Ago", 2);
  EXPECT_EQ(f->ListView2.Text(0), "Gamma");

  // Removing rows changes the view only.
  f->ListView2.Select(0);
  f->mnuRemFromList_Click();
  EXPECT_EQ(f->ListView2.RowCount(), 5);
  EXPECT_EQ(ReadDayFile(DayPath(3)).size(), 2u);

  // A bar of the chart searches its day.
  ASSERT_EQ(f->Chart1.Chart().Bars(), 4u);  // days 3 to 0 ago
  f->Chart1_DayClick(Today() - 2);
  ASSERT_TRUE(RunUntil([f] { return !f->Searching(); }));
  EXPECT_EQ(f->Combo1.get_active_text().substr(0, 11), "2 Days Ago ");
  EXPECT_EQ(Texts(f->ListView2), (Names{"Alpha"}));
  // A single day is a bar with its day and count, not a block across the chart.
  ASSERT_EQ(f->Chart1.Chart().Bars(), 1u);
  f->Chart1.queue_draw();
  EXPECT_TRUE(RunUntil([f] { return !f->Chart1.ShownLabels().empty(); }, 5000));
  EXPECT_EQ(f->Chart1.ShownLabels(), Names{BarLabel(Today() - 2, 1)});
  // Another day's single bar has its own label, not the one drawn before.
  f->Chart1_DayClick(Today() - 3);
  ASSERT_TRUE(RunUntil([f] { return !f->Searching(); }));
  f->Chart1.queue_draw();
  EXPECT_TRUE(RunUntil([f] { return !f->Chart1.ShownLabels().empty(); }, 5000));
  EXPECT_EQ(f->Chart1.ShownLabels(), Names{BarLabel(Today() - 3, 2)});
}

// The return list's rows keep to their data through sorting, grouping and
// removal: a row's texts, its tooltip and what its menu acts on.
TEST_F(Form6Window, ReturnRowsKeepTheirDataThroughSortingAndRemoval) {
  UsualDays();
  WriteDay(1, {{"Delta", "http://a.com/2", "a.com", 9}});
  Form6* f = Open();
  Search(f, "0-7 Days Ago", 0);
  ASSERT_EQ(Urls(f->ListView2), (Names{"", "http://c.com/z", "", "http://b.com/y", "http://b.com/x", "",
                                       "http://a.com/1", "http://a.com/2"}));
  auto rowsMatchTheirData = [f] {
    for (int r = 0; r < f->ListView2.RowCount(); ++r) {
      const auto data = f->RowData(2, r);
      if (!data || data->text != f->ListView2.Text(r) || data->url != f->ListView2.SubItem(r, 3)) return false;
    }
    return true;
  };
  // By title: the hosts by name, each over its own pages; again, the other way.
  f->ListView_ColumnClick(2, 0);
  EXPECT_EQ(Urls(f->ListView2), (Names{"", "http://a.com/1", "http://a.com/2", "", "http://b.com/x", "http://b.com/y",
                                       "", "http://c.com/z"}));
  f->ListView_ColumnClick(2, 0);
  EXPECT_EQ(Urls(f->ListView2), (Names{"", "http://c.com/z", "", "http://b.com/y", "http://b.com/x", "",
                                       "http://a.com/2", "http://a.com/1"}));
  EXPECT_TRUE(rowsMatchTheirData());

  // A page gone from view stays gone; hits order each host's pages.
  f->ListView2.Select(4);  // b.com/x
  f->mnuRemFromList_Click();
  f->ListView_ColumnClick(2, 1);
  f->ListView_ColumnClick(2, 1);
  EXPECT_EQ(Urls(f->ListView2),
            (Names{"", "http://c.com/z", "", "http://b.com/y", "", "http://a.com/2", "http://a.com/1"}));
  EXPECT_TRUE(rowsMatchTheirData());
  EXPECT_EQ(f->ListView2.Text(5), "Delta");
  EXPECT_EQ(f->ListView2.SubItem(5, 1), "9");

  // A header row: its host for the tooltip and for the host's pages.
  f->ListView2.Select(4);
  f->SetListTips();
  EXPECT_EQ(f->ListView2.get_tooltip_text(), "a.com");
  f->mnuShowHostsPages_Click();
  ASSERT_TRUE(RunUntil([f] { return !f->Searching(); }));
  EXPECT_EQ(Urls(f->ListView2), (Names{"http://a.com/1", "http://a.com/2"}));
  EXPECT_EQ(f->ListView2.Tree().get_column(0)->get_title(), "2 Page Titles");
}

TEST_F(Form6Window, CancelLeavesTheReturnListAsItWas) {
  // Enough history that the search is still running when Cancel comes.
  std::vector<Page> pages;
  for (int i = 0; i < 3000; ++i)
    pages.push_back({"Page " + std::to_string(i), "http://h" + std::to_string(i % 97) + ".com/" + std::to_string(i),
                     "h" + std::to_string(i % 97) + ".com"});
  for (int ago = 0; ago < 7; ++ago) WriteDay(ago, pages);
  Form6* f = Open();
  Search(f, "0 Days Ago " + SystemShortDate(Today()) + " <>", 4, "/17");
  const Names before = Urls(f->ListView2);
  ASSERT_FALSE(before.empty());

  f->Combo2.set_active(0);
  f->Combo1.set_active(0);
  f->ImgButton1_Click();
  ASSERT_TRUE(f->Searching());
  EXPECT_TRUE(f->ImgButton2.get_visible());
  EXPECT_FALSE(f->Combo1.get_sensitive());
  f->ImgButton2_Click();
  EXPECT_FALSE(f->Searching());
  EXPECT_TRUE(f->Combo1.get_sensitive() && f->Combo2.get_sensitive() && f->ImgButton1.get_sensitive() &&
              f->Check3.get_sensitive());
  EXPECT_TRUE(f->ImgButton1.get_visible());
  EXPECT_FALSE(f->ImgButton2.get_visible());
  RunFor(500);  // whatever the stopped search had gathered never arrives
  EXPECT_EQ(Urls(f->ListView2), before);

  // Closing in the middle of a search stops it too.
  f->ImgButton1_Click();
  f->Form_QueryUnload();
  EXPECT_EQ(TheApp().History(), nullptr);
}

TEST_F(Form6Window, SelectedRowsOfTheVisibleListGoToACategory) {
  Module1State& m = Module1();
  fs::remove_all(m.SiteListsDir);
  fs::create_directories(m.SiteListsDir);
  ASSERT_TRUE(RewriteCategories(m.CatListPath, {{"News", 1}, {"Music", 2}}));
  ASSERT_TRUE(RewriteSites(m.SiteListsDir + "/" + SiteFileName(1), {}));
  ASSERT_TRUE(RewriteSites(m.SiteListsDir + "/" + SiteFileName(2), {{"Alpha", "http://old.example/"}}));
  UsualDays();
  Form6* f = Open();
  Search(f, "0-7 Days Ago", 0);
  // Both pages of b.com, the header of a.com and its page, but not the today list's rows.
  f->ListView1.Select(1);
  for (int row : {3, 4, 5, 6}) f->ListView2.Select(row, false);

  f->mnuAddToSiteList_Click();
  Form2* editor = TheApp().Editor();
  ASSERT_NE(editor, nullptr);
  EXPECT_EQ(m.AddFromHistory, 1);
  EXPECT_TRUE(editor->get_modal());
  editor->ListView2.Select(1);
  Answer({MsgAnswer::No});
  editor->Command10_Click();
  EXPECT_EQ(LastShown(), "Confirm: Copy The Selected History Sites..To Category:\nMusic");
  EXPECT_EQ(ReadSites(m.SiteListsDir + "/" + SiteFileName(2)).size(), 1u);

  Answer({MsgAnswer::Yes});
  editor->Command10_Click();
  const auto sites = ReadSites(m.SiteListsDir + "/" + SiteFileName(2));
  Names names, urls;
  for (const auto& s : sites) names.push_back(s.Name), urls.push_back(s.URL);
  EXPECT_EQ(names, (Names{"Alpha", "Beta two", "Beta", "Alpha(1)"}));
  EXPECT_EQ(urls, (Names{"http://old.example/", "http://b.com/y", "http://b.com/x", "http://a.com/1"}));
  EXPECT_EQ(editor->ListView1.RowCount(), 4);

  TheApp().CloseEditor();
  EXPECT_EQ(m.AddFromHistory, 0);
}

TEST_F(Form6Window, LoweringTheDaysKeptEmptiesWhatGoes) {
  UsualDays();
  Form6* f = Open();
  Search(f, "0-7 Days Ago", 2);
  ASSERT_GT(f->ListView2.RowCount(), 0);
  Module1().Working.HistoryDays = 2;
  TheApp().PurgeHistory();
  EXPECT_FALSE(Exists(DayPath(2)));
  EXPECT_FALSE(Exists(DayPath(3)));
  EXPECT_EQ(f->ListView2.RowCount(), 0);
  EXPECT_EQ(f->Combo1.get_model()->children().size(), 3u);  // 0-2, 0-6 and today
  EXPECT_EQ(f->ListView1.RowCount(), 2);

  f->Text1.set_text("abc");
  Module1().Working.HistoryDays = 0;
  TheApp().PurgeHistory();
  EXPECT_FALSE(Exists(DayPath(0)));
  EXPECT_EQ(f->ListView1.RowCount(), 0);
  EXPECT_EQ(f->Combo1.get_model()->children().size(), 0u);
  EXPECT_EQ(f->Text1.get_text(), "");
}

}  // namespace
