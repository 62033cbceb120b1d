// The History window: today's pages as they are logged ("Today"), and the
// returns of a search over a period of day files ("Search Returns"), with a
// chart of pages per day above them. Rows open in the main window used
// last, go to the site lists, leave the view, or open up to a host's pages.
// The search itself runs on a worker thread (history/HistorySearch); the
// window only starts it, polls it and shows its rows.
#pragma once

#include <gtkmm.h>

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "core/app/Module1.h"
#include "core/history/HistoryLog.h"
#include "core/history/HistoryPeriods.h"
#include "core/history/HistorySearch.h"
#include "core/sitelists/ListFiles.h"
#include "platform/ListView.h"
#include "ui/history/HistoryChart.h"

class App;

class Form6 : public Gtk::Window, public TodayListListener {
 public:
  // Made by the application object, which owns it; Form_Load shows it.
  explicit Form6(App& app);
  ~Form6() override;

  // Controls, by their names in the window's design. ListView1 is the list
  // of index 1 (today), ListView2 that of index 2 (search returns).
  Gtk::Notebook TabStrip1;
  ListView ListView1{3, true}, ListView2{3, true};
  Gtk::ComboBoxText Combo1, Combo2;
  Gtk::Entry Text1;
  Gtk::Button ImgButton1, ImgButton2;
  Gtk::CheckButton Check1, Check2, Check3, Check4, Check5;
  Gtk::Label LabelStatus;  // how far a running search has got
  HistoryChart Chart1;
  Gtk::Menu mnu6Pop1;
  Gtk::MenuItem mnuNavTo, mnuAddToSiteList, mnuRemFromList, mnuShowHostsPages;
  Gtk::SeparatorMenuItem mnuSep0, mnuSep1, mnuSep2;

  // Public operations other windows call by name.
  // Deletes the day files outside the days kept; with 0 days kept it also
  // empties the today list, the period selector and the search text.
  void ChekDumpHist();
  // Rebuilds the period selector, keeping the chosen entry when it is still there.
  void LodComb1();
  void F6ToolT();
  void SetListTips();
  // After the options window lowered the days to keep: purge, then show
  // what is left.
  void DaysToKeepLowered();
  // Today's list read anew from today's file (after history was cleared).
  void LoadTodayList();
  // The selected rows with an address of the visible list, first to last,
  // as (title, address): what the list editor's "Add Selected History
  // Item(s)" copies.
  std::vector<SiteRecord> SelectedHistoryItems() const;

  // Event handlers.
  void Form_Load();
  void Form_Activate();
  void Form_QueryUnload();
  bool Form_KeyDown(GdkEventKey* key);
  void TabStrip1_Click();
  void ImgButton1_Click();
  void ImgButton2_Click();
  void Check1_Click();
  void Check2_Click();
  void Check3_Click();
  void Check4_Click();
  void Check5_Click();
  void Timer1_Timer();
  void ListView_Click(int index);     // a single click on a row
  void ListView_DblClick(int index);  // a double click, or Enter
  bool ListView_MouseDown(int index, GdkEventButton* e);
  bool ListView_MouseUp(int index, GdkEventButton* e);
  void ListView_ColumnClick(int index, int column);
  void mnuNavTo_Click();
  void mnuAddToSiteList_Click();
  void mnuRemFromList_Click();
  void mnuShowHostsPages_Click();
  void Chart1_DayClick(int64_t day);

  // Today's file as LogHistoryPage changes it.
  void TodayCleared() override;
  void HitsChanged(std::size_t recordNumber, int32_t hits) override;
  void RowAppended(const HistoryRecord& record, std::size_t rowCount) override;

  // State the tests read.
  bool Searching() const { return searching_; }
  bool Timer1Enabled() const { return timer1_.connected(); }
  const std::vector<PeriodEntry>& Periods() const { return periods_; }
  const SearchRows& ReturnRows() const { return returnRows_; }
  // The row behind row `row` of list `index` (1 or 2), null when none.
  const HistoryRow* RowData(int index, int row) const;
  ListView& List(int index) { return index == 2 ? ListView2 : ListView1; }
  const ListView& List(int index) const { return index == 2 ? ListView2 : ListView1; }
  int VisibleIndex() const { return TabStrip1.get_current_page() == 1 ? 2 : 1; }

 private:
  struct SearchJob;

  void BuildControls();
  void BuildMenu();
  void ConnectEvents();
  void ApplyLayout();
  void ApplyFonts();
  void ShowTodayCaption();
  void StartSearch(bool hostPages);
  void SetBusy(bool busy);
  void EndSearch();
  void StopJob();
  bool PollSearch();
  void ShowReturns(SearchResult result);
  void ReturnsListed();
  SortKey SortKeyOf(int index, int row, int column) const;
  void ClearReturns();
  void Navigate(int index);
  void PopUpMenu(int index, GdkEvent* event);
  void SaveSettings();
  void Show(const std::string& text);
  static int64_t Today();

  App& app_;
  std::optional<FlagScope> loaded_;                                    // HistoryWindowLoaded while the window is loaded
  std::map<std::size_t, HistoryRow> todayRows_;                        // by record number: the today rows' keys
  SearchRows returnRows_;                                              // by index: the return rows' keys
  SearchRows retiredRows_;                                             // the rows before, until the new ones are listed
  mutable std::unordered_map<std::size_t, HistoryRow> returnRowData_;  // what RowData made, by source
  DayChart chartToShow_;                                               // of the rows being listed
  std::vector<PeriodEntry> periods_;
  std::unique_ptr<SearchJob> job_;
  sigc::connection timer1_, poll_;
  Glib::Dispatcher searchDone_;  // the search thread's word that it ended
  bool searching_ = false;
  bool listing_ = false;   // the return list is taking the rows of a search
  std::string hostPages_;  // the host of a host-pages search
  SearchMode searchMode_ = SearchMode::HostSort;
  int64_t searchedFirstDay_ = 0, searchedLastDay_ = 0;
  bool skipNextNavigation_ = false;  // the one-shot mark of a right click in 1-click mode
  bool doubleClickRelease_ = false;  // the release that ends a double click
  std::array<int, 2> sortColumn_{-1, -1};
  std::array<bool, 2> sortDescending_{false, false};
  bool unloaded_ = false;
};
