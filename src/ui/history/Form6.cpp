#include "ui/history/Form6.h"

#include <gdk/gdkkeysyms.h>

#include <algorithm>
#include <atomic>
#include <thread>
#include <utility>

#include "core/app/Dates.h"
#include "core/app/SharedRoutines.h"
#include "core/app/ToolTips.h"
#include "core/history/DayChart.h"
#include "core/records/FileOps.h"
#include "platform/Desktop.h"
#include "platform/Dialogs.h"
#include "ui/app/App.h"
#include "ui/app/ListFont.h"
#include "ui/browser/Form1.h"

namespace {

constexpr const char* kSearchError = "An Error Occurred Accessing Or Processing History Files";
constexpr unsigned kPollMs = 40;
constexpr unsigned kTimer1Ms = 100;
// A window that was never closed has no stored size: it opens at this one,
// its columns at these widths (title, hits, date, address).
constexpr int kFirstWidth = 780, kFirstHeight = 540;
constexpr std::array<int, 4> kFirstColumns = {300, 48, 150, 240};
constexpr int kMinWidth = 420, kMinHeight = 260;

// A drop-down list measures all its entries whenever its look changes, as
// it does when a search disables it: with a year of days in the period
// selector that held the window up for tens of milliseconds. It is measured
// once, when filled, and keeps that width.
void MeasureOnce(Gtk::ComboBox& combo) {
  GtkWidget* child = gtk_bin_get_child(GTK_BIN(combo.gobj()));
  if (!child || !GTK_IS_CELL_VIEW(child)) return;
  GtkCellView* view = GTK_CELL_VIEW(child);
  combo.set_size_request(-1, -1);
  gtk_cell_view_set_fit_model(view, TRUE);
  int minimum = 0, natural = 0;
  combo.get_preferred_width(minimum, natural);
  gtk_cell_view_set_fit_model(view, FALSE);
  combo.set_size_request(natural, -1);
}

}  // namespace

// A search running on its own thread. The window reads the result only
// after `done`; the thread touches nothing but this.
struct Form6::SearchJob {
  SearchRequest request;
  std::atomic<bool> cancel{false};
  std::atomic<bool> done{false};
  std::atomic<std::size_t> filesDone{0};
  SearchResult result;
  std::thread thread;
  bool abandoned = false;  // cancelled: its result is not wanted
};

// ---- lifetime ----

Form6::Form6(App& app)
    : ImgButton1("Search"),
      ImgButton2("Cancel"),
      Check1("1-click"),
      Check2("vis."),
      Check3("dupes"),
      Check4("show time"),
      Check5("on top"),
      mnuNavTo("_Navigate To Selected URL", true),
      mnuAddToSiteList("_Add Item(s) To Site Selector List", true),
      mnuRemFromList("_Remove Item(s) From List (Temp)", true),
      mnuShowHostsPages("_Show Selected Host's Page Items", true),
      app_(app) {
  BuildControls();
  BuildMenu();
  ConnectEvents();
}

Form6::~Form6() {
  timer1_.disconnect();
  poll_.disconnect();
  StopJob();
  ListView2.Clear();  // its rows' texts come from returnRows_
  returnRows_ = {};
  retiredRows_ = {};
  ReleaseSearchMemory();  // no search until the window opens again
}

void Form6::BuildControls() {
  // The controls change state at once: the theme's fades would redraw the
  // window for a fifth of a second at each search's start and end, taking
  // the processor from the search itself.
  set_name("skelvornax-history");
  AddStyle("#skelvornax-history * { transition: none; }");
  set_type_hint(Gdk::WINDOW_TYPE_HINT_NORMAL);
  set_size_request(kMinWidth, kMinHeight);
  for (ListView* list : {&ListView1, &ListView2}) {
    list->SetColumnCaptions({"Page Titles", "Hits", "Date", "Address"});
    // Rows of one height: a list of a hundred thousand rows shows at once.
    list->Tree().set_fixed_height_mode(true);
  }
  ListView1.get_accessible()->set_name("Today's pages");
  ListView2.get_accessible()->set_name("Search returns");
  for (const char* name : kSearchModeNames) Combo2.append(name);
  Combo1.get_accessible()->set_name("Time period");
  Combo2.get_accessible()->set_name("Sort order or search kind");
  Text1.get_accessible()->set_name("Search text");
  Text1.set_hexpand(true);
  Text1.set_activates_default(false);
  ImgButton1.set_image_from_icon_name("edit-find-symbolic", Gtk::ICON_SIZE_BUTTON);
  ImgButton1.set_always_show_image(true);
  ImgButton2.set_image_from_icon_name("process-stop-symbolic", Gtk::ICON_SIZE_BUTTON);
  ImgButton2.set_always_show_image(true);
  ImgButton2.set_no_show_all(true);
  LabelStatus.set_no_show_all(true);
  LabelStatus.get_style_context()->add_class("dim-label");

  auto* outer = Gtk::manage(new Gtk::Box(Gtk::ORIENTATION_VERTICAL, 6));
  outer->set_border_width(6);
  auto* searchRow = Gtk::manage(new Gtk::Box(Gtk::ORIENTATION_HORIZONTAL, 4));
  searchRow->pack_start(Combo1, false, false);
  searchRow->pack_start(Combo2, false, false);
  searchRow->pack_start(Text1, true, true);
  searchRow->pack_start(ImgButton1, false, false);
  searchRow->pack_start(ImgButton2, false, false);
  auto* checkRow = Gtk::manage(new Gtk::Box(Gtk::ORIENTATION_HORIZONTAL, 10));
  for (Gtk::CheckButton* c : {&Check1, &Check2, &Check3, &Check4, &Check5}) checkRow->pack_start(*c, false, false);
  checkRow->pack_end(LabelStatus, false, false);

  auto* returns = Gtk::manage(new Gtk::Box(Gtk::ORIENTATION_VERTICAL, 4));
  returns->pack_start(Chart1, false, false);
  returns->pack_start(ListView2, true, true);
  TabStrip1.append_page(ListView1, "Today");
  TabStrip1.append_page(*returns, "Search Returns");

  outer->pack_start(*searchRow, false, false);
  outer->pack_start(*checkRow, false, false);
  outer->pack_start(TabStrip1, true, true);
  add(*outer);
}

void Form6::BuildMenu() {
  for (Gtk::MenuItem* item :
       {&mnuNavTo, static_cast<Gtk::MenuItem*>(&mnuSep0), &mnuAddToSiteList, static_cast<Gtk::MenuItem*>(&mnuSep1),
        &mnuRemFromList, static_cast<Gtk::MenuItem*>(&mnuSep2), &mnuShowHostsPages})
    mnu6Pop1.append(*item);
  mnu6Pop1.show_all();
  mnu6Pop1.attach_to_widget(*this);
  // The mark of a right click lives only as long as its menu.
  mnu6Pop1.signal_deactivate().connect(sigc::track_obj(
      [this] { Glib::signal_idle().connect_once(sigc::track_obj([this] { skipNextNavigation_ = false; }, *this)); },
      *this));
}

void Form6::ConnectEvents() {
  signal_delete_event().connect([this](GdkEventAny*) {
    Form_QueryUnload();
    return true;
  });
  signal_key_press_event().connect(sigc::mem_fun(*this, &Form6::Form_KeyDown), false);
  property_is_active().signal_changed().connect([this] {
    if (is_active()) Form_Activate();
  });
  TabStrip1.signal_switch_page().connect([this](Gtk::Widget*, guint) {
    Glib::signal_idle().connect_once(sigc::track_obj([this] { TabStrip1_Click(); }, *this));
  });
  ImgButton1.signal_clicked().connect(sigc::mem_fun(*this, &Form6::ImgButton1_Click));
  ImgButton2.signal_clicked().connect(sigc::mem_fun(*this, &Form6::ImgButton2_Click));
  Text1.signal_activate().connect(sigc::mem_fun(*this, &Form6::ImgButton1_Click));
  Check1.signal_toggled().connect(sigc::mem_fun(*this, &Form6::Check1_Click));
  Check2.signal_toggled().connect(sigc::mem_fun(*this, &Form6::Check2_Click));
  Check3.signal_toggled().connect(sigc::mem_fun(*this, &Form6::Check3_Click));
  Check4.signal_toggled().connect(sigc::mem_fun(*this, &Form6::Check4_Click));
  Check5.signal_toggled().connect(sigc::mem_fun(*this, &Form6::Check5_Click));
  for (int index = 1; index <= 2; ++index) {
    ListView& list = List(index);
    Gtk::TreeView& tree = list.Tree();
    tree.signal_button_press_event().connect([this, index](GdkEventButton* e) { return ListView_MouseDown(index, e); },
                                             false);
    tree.signal_button_release_event().connect([this, index](GdkEventButton* e) { return ListView_MouseUp(index, e); },
                                               false);
    tree.signal_row_activated().connect(
        [this, index](const Gtk::TreeModel::Path&, Gtk::TreeViewColumn*) { ListView_DblClick(index); });
    tree.signal_popup_menu().connect([this, index] {
      PopUpMenu(index, nullptr);
      return true;
    });
    tree.get_selection()->signal_changed().connect(sigc::mem_fun(*this, &Form6::SetListTips));
    list.ColumnClick.connect([this, index](int column) { ListView_ColumnClick(index, column); });
  }
  mnuNavTo.signal_activate().connect(sigc::mem_fun(*this, &Form6::mnuNavTo_Click));
  mnuAddToSiteList.signal_activate().connect(sigc::mem_fun(*this, &Form6::mnuAddToSiteList_Click));
  mnuRemFromList.signal_activate().connect(sigc::mem_fun(*this, &Form6::mnuRemFromList_Click));
  mnuShowHostsPages.signal_activate().connect(sigc::mem_fun(*this, &Form6::mnuShowHostsPages_Click));
  Chart1.DayClicked.connect(sigc::mem_fun(*this, &Form6::Chart1_DayClick));
  ListView2.RowsComplete.connect(sigc::mem_fun(*this, &Form6::ReturnsListed));
  searchDone_.connect([this] {
    if (!PollSearch()) poll_.disconnect();
  });
}

int64_t Form6::Today() {
  const LocalDateTime now = dates::NowLocal();
  return dates::DayNumber(now.year, now.month, now.day);
}

// ---- load and unload ----

void Form6::Form_Load() {
  Module1State& m = Module1();
  const Settings& s = m.Working;
  ApplyLayout();
  TabStrip1.set_current_page(0);
  set_title(std::string("History List - ") + kAppTitle);
  ApplyFonts();
  ChekDumpHist();
  LoadTodayList();
  LodComb1();
  if (!periods_.empty()) Combo1.set_active(0);
  Combo2.set_active(0);
  F6ToolT();
  Check1.set_active(s.HistOneClick == 1);
  Check2.set_active(s.HistPushUp == 1);
  Check3.set_active(s.HistDupes == 1);
  Check4.set_active(s.HistShowTime == 1);
  Check5.set_active(s.HistOnTop == 1);
  set_keep_above(s.HistOnTop == 1);
  loaded_.emplace(m.HistoryWindowLoaded);
  show_all();
}

void Form6::ApplyLayout() {
  const auto& layout = Module1().Working.HistoryLayout;
  // Widths are stored in twips; a negative one counts as 0, which hides its
  // column. A list whose widths were never stored gets the first widths.
  for (int index = 1; index <= 2; ++index) {
    const std::size_t base = index == 1 ? 4 : 8;
    const bool stored = std::any_of(layout.begin() + base, layout.begin() + base + 4, [](float w) { return w > 0; });
    for (int c = 0; c < 4; ++c) {
      const int px = stored ? std::max(0, Px(layout[base + c])) : kFirstColumns[static_cast<std::size_t>(c)];
      Gtk::TreeViewColumn* column = List(index).Tree().get_column(c);
      column->set_visible(px > 0);
      if (px > 0) List(index).SetColumnWidth(c, px);
    }
  }
  const WorkArea area = PrimaryWorkArea();
  int width = Px(layout[2]), height = Px(layout[3]);
  const bool sized = width >= kMinWidth && height >= kMinHeight;
  if (!sized) width = kFirstWidth, height = kFirstHeight;
  width = std::min(width, area.width);
  height = std::min(height, area.height);
  set_default_size(width, height);
  int left = Px(layout[0]), top = Px(layout[1]);
  if (!sized) {
    left = area.x + (area.width - width) / 2;
    top = area.y + (area.height - height) / 2;
  }
  // Never out of reach: the top-left corner stays on the work area.
  left = std::clamp(left, area.x, area.x + std::max(0, area.width - width));
  top = std::clamp(top, area.y, area.y + std::max(0, area.height - height));
  move(left, top);
}

void Form6::ApplyFonts() {
  const Pango::FontDescription font = ListFont(Module1().Working);
  ListView1.SetFont(font);
  ListView2.SetFont(font);
  SetWidgetFont(Combo1, font);
  SetWidgetFont(Combo2, font);
  SetWidgetFont(Text1, font);
}

void Form6::Form_QueryUnload() {
  if (unloaded_) return;
  unloaded_ = true;
  timer1_.disconnect();
  poll_.disconnect();
  StopJob();
  SaveSettings();
  ChekDumpHist();
  loaded_.reset();
  hide();
  app_.HistoryUnloaded();
}

void Form6::SaveSettings() {
  auto& layout = Module1().Working.HistoryLayout;
  int left = 0, top = 0, width = 0, height = 0;
  get_position(left, top);
  get_size(width, height);
  layout[0] = Tw(left);
  layout[1] = Tw(top);
  layout[2] = Tw(width);
  layout[3] = Tw(height);
  for (int index = 1; index <= 2; ++index) {
    const std::size_t base = index == 1 ? 4 : 8;
    for (int c = 0; c < 4; ++c) {
      const Gtk::TreeViewColumn* column = List(index).Tree().get_column(c);
      layout[base + c] = column->get_visible() ? Tw(List(index).ColumnWidth(c)) : 0.0f;
    }
  }
}

bool Form6::Form_KeyDown(GdkEventKey* key) {
  if (key->keyval != GDK_KEY_Escape) return false;
  Form_QueryUnload();
  return true;
}

void Form6::Form_Activate() { set_keep_above(Module1().Working.HistOnTop == 1); }

void Form6::Show(const std::string& text) { MsgBox(text, MsgButtons::Ok, this); }

// ---- tooltips ----

void Form6::F6ToolT() {
  const Module1State& m = Module1();
  const auto& t = m.ToolTipTexts;
  const bool off = m.Working.NoToolTips != 0;
  auto tip = [off](Gtk::Widget& w, const std::string& text) { w.set_tooltip_text(off ? "" : text); };
  tip(Combo1, t[tips::kPeriod]);
  tip(Combo2, t[tips::kSearchMode]);
  tip(ImgButton1, t[tips::kSearch]);
  tip(Text1, t[tips::kSearchText]);
  tip(Check1, t[tips::kOneClick]);
  tip(Check2, t[tips::kPushUp]);
  tip(Check3, t[tips::kDupes]);
  SetListTips();
}

void Form6::SetListTips() {
  const bool off = Module1().Working.NoToolTips != 0;
  for (int index = 1; index <= 2; ++index) {
    std::string text;
    if (const HistoryRow* row = RowData(index, List(index).SelectedIndex())) text = row->header ? row->host : row->text;
    List(index).set_tooltip_text(off ? "" : text);
  }
}

// ---- today's list ----

void Form6::LoadTodayList() {
  const Module1State& m = Module1();
  ListView1.Clear();
  todayRows_.clear();
  sortColumn_[0] = -1;
  if (m.Working.HistoryDays != 0) {
    const std::string path = fileops::Join(m.HistoryDir, DayFileName(dates::NowLocal()));
    if (FileTest(path) == 0) {
      const auto read = TryReadDayFile(path);
      if (!read) Show("An Error Occurred Opening File And Loading Today's List");
      const std::vector<HistoryRecord>& records = read ? *read : std::vector<HistoryRecord>();
      ListView1.BeginUpdate();
      for (std::size_t i = 0; i < records.size(); ++i) {
        const HistoryRow& row = todayRows_[i + 1] = PageRow(records[i], true);
        ListView1.AddRow(row.text, {row.hits, row.date, row.url}, std::to_string(i + 1));
      }
      ListView1.EndUpdate();
    }
  }
  // Loading counts the rows in the header only while tooltips are on.
  if (m.Working.NoToolTips == 0) ShowTodayCaption();
  SetListTips();
}

void Form6::ShowTodayCaption() {
  ListView1.Tree().get_column(0)->set_title(TodayCaption(static_cast<std::size_t>(ListView1.RowCount())));
}

void Form6::TodayCleared() {
  ListView1.Clear();
  todayRows_.clear();
  ShowTodayCaption();
}

void Form6::HitsChanged(std::size_t recordNumber, int32_t hits) {
  const auto at = todayRows_.find(recordNumber);
  if (at == todayRows_.end()) return;
  at->second.hitCount = hits;
  at->second.hits = std::to_string(hits);
  // Found by its record, wherever sorting or removals have put it.
  const int row = ListView1.FindKey(std::to_string(recordNumber));
  if (row < 0) return;
  ListView1.SetSubItem(row, 1, at->second.hits);
  if (Check2.get_active()) ListView1.EnsureVisible(row);
}

void Form6::RowAppended(const HistoryRecord& record, std::size_t rowCount) {
  const HistoryRow& row = todayRows_[rowCount] = PageRow(record, true);
  ListView1.AddRow(row.text, {row.hits, row.date, row.url}, std::to_string(rowCount));
  ShowTodayCaption();
  if (Check2.get_active() && !timer1_.connected())
    timer1_ =
        Glib::signal_timeout().connect(sigc::bind_return(sigc::mem_fun(*this, &Form6::Timer1_Timer), false), kTimer1Ms);
}

void Form6::Timer1_Timer() {
  timer1_.disconnect();
  if (ListView1.RowCount() > 0) ListView1.EnsureVisible(ListView1.RowCount() - 1);
}

// ---- period selector and retention ----

void Form6::LodComb1() {
  const Module1State& m = Module1();
  const std::string chosen = Combo1.get_active_text();
  Combo1.remove_all();
  periods_.clear();
  if (DirTest(m.HistoryDir) != 0) {
    Show("An Error Occurred Loading Date-Periods Selector");
    return;
  }
  const int64_t today = Today();
  // Plain files only: a folder named like a day file is no day.
  const std::vector<std::string> files = fileops::ListFiles(m.HistoryDir);
  periods_ = PeriodEntries(DayFilesNewestFirst(files, today), today, m.Working.HistoryDays, !files.empty());
  for (const auto& p : periods_) Combo1.append(p.text);
  MeasureOnce(Combo1);
  for (std::size_t i = 0; i < periods_.size(); ++i)
    if (!chosen.empty() && periods_[i].text == chosen) Combo1.set_active(static_cast<int>(i));
  if (Combo1.get_active_row_number() < 0 && !periods_.empty()) Combo1.set_active(0);
}

void Form6::ChekDumpHist() {
  const Module1State& m = Module1();
  if (m.Working.HistoryDays == 0) {
    ListView1.Clear();
    todayRows_.clear();
    ShowTodayCaption();
    Combo1.remove_all();
    periods_.clear();
    Text1.set_text("");
  }
  DumpOldHistory(m.HistoryDir, m.Working.HistoryDays, Today());
}

void Form6::DaysToKeepLowered() {
  if (searching_) ImgButton2_Click();
  ChekDumpHist();
  if (Module1().Working.HistoryDays != 0) LodComb1();
  ClearReturns();
}

void Form6::ClearReturns() {
  listing_ = false;
  retiredRows_ = {};
  returnRowData_.clear();
  ListView2.Clear();
  returnRows_ = {};
  sortColumn_[1] = -1;
  ListView2.Tree().get_column(0)->set_title("Page Titles");
  Chart1.SetChart({});
  SetListTips();
}

// ---- searching ----

void Form6::ImgButton1_Click() { StartSearch(false); }

void Form6::StartSearch(bool hostPages) {
  if (searching_) return;
  const int period = Combo1.get_active_row_number();
  const bool periodChosen = period >= 0 && static_cast<std::size_t>(period) < periods_.size();
  const SearchCheck check = CheckSearch(periodChosen, Combo2.get_active_row_number(), Text1.get_text(), hostPages);
  if (check != SearchCheck::Ok) {
    if (check == SearchCheck::NoText) Text1.set_text("");
    hostPages_.clear();
    Show(SearchCheckMessage(check));
    return;
  }
  SetBusy(true);
  TabStrip1.set_current_page(1);

  const Module1State& m = Module1();
  const int64_t today = Today();
  const PeriodEntry& entry = periods_[static_cast<std::size_t>(period)];
  StopJob();
  job_ = std::make_unique<SearchJob>();
  SearchRequest& req = job_->request;
  req.historyDir = m.HistoryDir;
  req.files = FilesInPeriod(DayFilesNewestFirst(fileops::ListFiles(m.HistoryDir), today), today, entry);
  req.mode = hostPages ? SearchMode::HostPages : static_cast<SearchMode>(Combo2.get_active_row_number());
  req.text = Text1.get_text();
  req.host = hostPages_;
  req.dupes = Check3.get_active();
  req.showTime = Check4.get_active();
  searchMode_ = req.mode;
  // The chart runs from the oldest file of the period to the period's end.
  searchedLastDay_ = today - entry.fromDaysAgo;
  searchedFirstDay_ = req.files.empty() ? searchedLastDay_ : std::max(today - entry.toDaysAgo, req.files.back().date);
  SearchJob* job = job_.get();
  Glib::Dispatcher* done = &searchDone_;
  job->thread = std::thread([job, done] {
    job->result =
        SearchHistory(job->request, job->cancel, [job](const SearchProgress& p) { job->filesDone.store(p.filesDone); });
    job->done.store(true, std::memory_order_release);
    done->emit();  // the rows go up at once, not at the next poll
  });
  poll_ = Glib::signal_timeout().connect(sigc::mem_fun(*this, &Form6::PollSearch), kPollMs);
}

void Form6::SetBusy(bool busy) {
  searching_ = busy;
  if (auto window = get_window())
    window->set_cursor(busy ? Gdk::Cursor::create(get_display(), "progress") : Glib::RefPtr<Gdk::Cursor>());
  for (Gtk::Widget* w : {static_cast<Gtk::Widget*>(&Combo1), static_cast<Gtk::Widget*>(&Combo2),
                         static_cast<Gtk::Widget*>(&ImgButton1), static_cast<Gtk::Widget*>(&Check3)})
    w->set_sensitive(!busy);
  ImgButton1.set_visible(!busy);
  ImgButton2.set_visible(busy);
  LabelStatus.set_text("");
  LabelStatus.set_visible(busy);
  if (busy) ImgButton2.grab_focus();
}

void Form6::EndSearch() {
  const bool hadFocus = ImgButton2.has_focus();
  SetBusy(false);
  hostPages_.clear();
  if (hadFocus) ImgButton1.grab_focus();
}

void Form6::StopJob() {
  if (!job_) return;
  // The search checks the flag before every record, so this wait is short.
  job_->cancel.store(true);
  if (job_->thread.joinable()) job_->thread.join();
  job_.reset();
}

bool Form6::PollSearch() {
  if (!job_) return false;
  if (!job_->done.load(std::memory_order_acquire)) {
    if (!job_->abandoned)
      LabelStatus.set_text("Searching: " + std::to_string(job_->filesDone.load()) + " of " +
                           std::to_string(job_->request.files.size()) + " days");
    return true;
  }
  job_->thread.join();
  const std::unique_ptr<SearchJob> job = std::move(job_);
  if (job->abandoned) return false;
  switch (job->result.status) {
    case SearchResult::Status::Done:
      ShowReturns(std::move(job->result));
      break;
    case SearchResult::Status::FileError:
      EndSearch();
      Show(kSearchError);
      break;
    case SearchResult::Status::Cancelled:
      EndSearch();
      break;
  }
  return false;
}

void Form6::ShowReturns(SearchResult result) {
  // The list lets go of the old rows first, which takes it a while: they are
  // freed, and the chart drawn, once the new rows are all in.
  retiredRows_ = std::exchange(returnRows_, std::move(result.rows));
  returnRowData_.clear();
  chartToShow_ = result.perDay.empty() ? DayChart{} : MakeDayChart(result.perDay, searchedFirstDay_, searchedLastDay_);
  sortColumn_[1] = -1;
  ListView2.Tree().get_column(0)->set_title(
      ReturnsCaption(searchMode_, returnRows_.size(), result.pages, result.hosts));
  // The list asks for the texts of the rows it shows. Until it has them all
  // (RowsComplete) the window stays busy.
  listing_ = true;
  ListView2.SetVirtualRows(
      returnRows_.size(),
      [this](std::size_t row, int column) { return row < returnRows_.size() ? returnRows_.Cell(row, column) : ""; },
      [this](std::size_t row) { return row < returnRows_.size() && returnRows_.Header(row); });
}

void Form6::ReturnsListed() {
  if (!listing_) return;
  listing_ = false;
  Chart1.SetChart(std::move(chartToShow_));
  EndSearch();
  SetListTips();
  // Freeing the rows before takes a moment too: a step of its own.
  Glib::signal_idle().connect_once(sigc::track_obj([this] { retiredRows_ = {}; }, *this));
}

void Form6::ImgButton2_Click() {
  if (!searching_) return;
  // The return list stays as it was: a running search's result is dropped.
  // A search that has ended is listed in full.
  if (job_) {
    job_->cancel.store(true);
    job_->abandoned = true;
  }
  ListView2.FinishRows();
  if (searching_) EndSearch();
}

// ---- check boxes ----

void Form6::Check1_Click() { Module1().Working.HistOneClick = Check1.get_active() ? 1 : 0; }

void Form6::Check2_Click() {
  Module1().Working.HistPushUp = Check2.get_active() ? 1 : 0;
  if (Check2.get_active() && ListView1.RowCount() > 0) ListView1.EnsureVisible(ListView1.RowCount() - 1);
}

void Form6::Check3_Click() { Module1().Working.HistDupes = Check3.get_active() ? 1 : 0; }

void Form6::Check4_Click() { Module1().Working.HistShowTime = Check4.get_active() ? 1 : 0; }

void Form6::Check5_Click() {
  Module1().Working.HistOnTop = Check5.get_active() ? 1 : 0;
  set_keep_above(Check5.get_active());
}

void Form6::TabStrip1_Click() { SetListTips(); }

// ---- rows ----

const HistoryRow* Form6::RowData(int index, int row) const {
  if (index == 2) {
    const long source = ListView2.SourceRow(row);
    if (source < 0 || static_cast<std::size_t>(source) >= returnRows_.size()) return nullptr;
    // Made when first asked for, and kept as long as the rows.
    auto at = returnRowData_.find(static_cast<std::size_t>(source));
    if (at == returnRowData_.end())
      at =
          returnRowData_.emplace(static_cast<std::size_t>(source), returnRows_[static_cast<std::size_t>(source)]).first;
    return &at->second;
  }
  if (row < 0 || row >= ListView1.RowCount()) return nullptr;
  const std::string key = ListView1.Key(row);
  if (key.empty()) return nullptr;
  const auto at = todayRows_.find(std::stoul(key));
  return at == todayRows_.end() ? nullptr : &at->second;
}

std::vector<SiteRecord> Form6::SelectedHistoryItems() const {
  std::vector<SiteRecord> items;
  const ListView& list = List(VisibleIndex());
  std::vector<int> rows = list.SelectedRows();
  std::sort(rows.begin(), rows.end());
  for (int row : rows) {
    const std::string url = list.SubItem(row, 3);
    if (!url.empty()) items.push_back({list.Text(row), url});
  }
  return items;
}

void Form6::Navigate(int index) {
  const ListView& list = List(index);
  if (list.RowCount() == 0) return;
  const std::string url = list.SubItem(list.SelectedIndex(), 3);
  if (url.empty()) return;
  Form1* window = app_.ActiveMainWindow();
  if (!window) return;
  window->WebBrowser1.Navigate(url);
  window->present();
}

void Form6::ListView_Click(int index) {
  SetListTips();
  if (!Check1.get_active()) return;
  if (skipNextNavigation_) {
    skipNextNavigation_ = false;
    return;
  }
  Navigate(index);
}

void Form6::ListView_DblClick(int index) {
  // In 1-click mode the first click of a double click has already navigated.
  GdkEvent* event = gtk_get_current_event();
  const bool mouse = event && event->type == GDK_2BUTTON_PRESS;
  if (event) gdk_event_free(event);
  if (mouse && Check1.get_active()) return;
  Navigate(index);
}

bool Form6::ListView_MouseDown(int index, GdkEventButton* e) {
  if (e->button == 1) doubleClickRelease_ = e->type == GDK_2BUTTON_PRESS;
  ListView& list = List(index);
  return RightPressSelectsRow(list.Tree(), e, list.SelectedRows(), [&list](int row) { list.Select(row); });
}

bool Form6::ListView_MouseUp(int index, GdkEventButton* e) {
  ListView& list = List(index);
  if (e->button == 3) {
    if (list.RowCount() == 0) return true;
    if (Check1.get_active()) skipNextNavigation_ = true;
    PopUpMenu(index, reinterpret_cast<GdkEvent*>(e));
    return true;
  }
  if (e->button != 1) return false;
  if (doubleClickRelease_) {
    doubleClickRelease_ = false;
    return false;
  }
  Gtk::TreeModel::Path path;
  if (e->window == list.Tree().get_bin_window()->gobj() &&
      list.Tree().get_path_at_pos(static_cast<int>(e->x), static_cast<int>(e->y), path))
    // After the view has moved the selection to the row.
    Glib::signal_idle().connect_once(sigc::track_obj([this, index] { ListView_Click(index); }, *this));
  return false;
}

void Form6::PopUpMenu(int index, GdkEvent* event) {
  if (List(index).RowCount() == 0) return;
  mnuShowHostsPages.set_sensitive(VisibleIndex() == 2);
  if (event)
    mnu6Pop1.popup_at_pointer(event);
  else
    mnu6Pop1.popup_at_widget(&List(index), Gdk::GRAVITY_CENTER, Gdk::GRAVITY_NORTH_WEST, nullptr);
}

void Form6::mnuNavTo_Click() { Navigate(VisibleIndex()); }

void Form6::mnuAddToSiteList_Click() {
  const ListView& list = List(VisibleIndex());
  if (list.RowCount() == 0 || list.SubItem(list.SelectedIndex(), 3).empty()) return;
  app_.OpenEditorFromHistory(*this);
}

void Form6::mnuRemFromList_Click() {
  const int index = VisibleIndex();
  ListView& list = List(index);
  std::vector<int> rows = list.SelectedRows();
  // From the last to the first, so the rows still to go keep their numbers.
  std::sort(rows.rbegin(), rows.rend());
  for (int row : rows) list.RemoveRow(row);
  if (index == 1) ShowTodayCaption();
  SetListTips();
}

void Form6::mnuShowHostsPages_Click() {
  if (VisibleIndex() != 2 || searching_) return;
  const HistoryRow* row = RowData(2, ListView2.SelectedIndex());
  if (!row || !row->header) return;
  hostPages_ = row->host;
  StartSearch(true);
}

void Form6::ListView_ColumnClick(int index, int column) {
  if (index == 2 && searching_) return;
  ListView& list = List(index);
  const std::size_t slot = index == 1 ? 0 : 1;
  sortDescending_[slot] = sortColumn_[slot] == column ? !sortDescending_[slot] : false;
  sortColumn_[slot] = column;
  std::vector<SortKey> keys;
  keys.reserve(static_cast<std::size_t>(list.RowCount()));
  for (int r = 0; r < list.RowCount(); ++r) keys.push_back(SortKeyOf(index, r, column));
  const auto order = SortedOrder(keys, column, sortDescending_[slot]);
  list.Reorder(std::vector<int>(order.begin(), order.end()));
}

SortKey Form6::SortKeyOf(int index, int row, int column) const {
  if (index == 2) {
    const long source = ListView2.SourceRow(row);
    if (source < 0 || static_cast<std::size_t>(source) >= returnRows_.size()) return {};
    return returnRows_.KeyOf(static_cast<std::size_t>(source), column);
  }
  const HistoryRow* data = RowData(1, row);
  return data ? ::SortKeyOf(*data, column) : SortKey{};
}

void Form6::Chart1_DayClick(int64_t day) {
  if (searching_) return;
  const int64_t ago = Today() - day;
  for (std::size_t i = 0; i < periods_.size(); ++i) {
    if (!periods_[i].singleDay || periods_[i].fromDaysAgo != ago) continue;
    Combo1.set_active(static_cast<int>(i));
    StartSearch(false);
    return;
  }
}
