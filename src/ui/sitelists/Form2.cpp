#include "ui/sitelists/Form2.h"

#include <algorithm>
#include <cmath>

#include "core/app/Dates.h"
#include "core/app/Module1.h"
#include "core/app/ToolTips.h"
#include "core/records/FileOps.h"
#include "platform/Desktop.h"
#include "platform/Dialogs.h"
#include "platform/FileDialogs.h"
#include "ui/app/App.h"
#include "ui/app/ListFont.h"
#include "ui/history/Form6.h"

using namespace site_list_editor;

namespace {

constexpr const char* kFavoritesFilter = "Favorites |*.URL;*.url;*.Url";
constexpr const char* kFirstCreateCategory = "First, Create At Least One Category Before Adding The Page.";
constexpr const char* kListsError = "An Error Occurred Opening File And Loading Lists";
constexpr const char* kRestoreError = "An Error Occurred Restoring Your SiteLists Dir";
constexpr int kBorderStep = 30;     // pixels the list border buttons move the border
constexpr int kMinListHeight = 60;  // neither list is squeezed below this
// Sizes stored before the editor was ever closed are the settings' floor
// values; the editor then opens at a roomier size of its own.
constexpr float kFloorWidth = 6945, kFloorHeight = 3525;
constexpr int kFirstWidth = 640, kFirstHeight = 560;

void InstallStyle() {
  AddStyle(
      "#skelvornax-editor button { padding: 2px 6px; min-height: 0; }"
      "#skelvornax-editor button.border { padding: 2px; }"
      "#skelvornax-editor entry { min-height: 0; padding-top: 2px; padding-bottom: 2px; }");
}

}  // namespace

// ---- lifetime ----

Form2::Form2(App& app, const Form1* opener)
    : Command1("Add Page To List"),
      Command2("Delete Selected Site(s)"),
      Command3("Enter A New Category >>>"),
      Command4("Delete Selected Cat"),
      Command5("Enter A Web Address >>>"),
      Command7("Import Fav"),
      Command8("Back-Up"),
      Command9("Restore"),
      Command10("Add Selected History Item(s)"),
      Label1("Copy / Move To:"),
      mnuMoveUp("Move _Up", true),
      mnuMovedown("Move _Down", true),
      mnuToTop("Move To _Top", true),
      mnuToBot("Move To _Bottom", true),
      mnuSortAscend("Sort _A to Z (One Time Only)", true),
      mnuSortDecend("Sort List _Z to A (One Time Only)", true),
      mnuDelete("Delete _Selected", true),
      mnuMoveToCat("_Move Selected Site(s) To Category", true),
      mnuCopyToCat("_Copy Selected Site(s) To Category", true),
      mnuSelectAll("Select _All", true),
      mnuCopSelURLtoClipboard("_Copy Selected URL To Clipboard", true),
      app_(app),
      opener_(opener),
      dirs_(DirsUnder(Module1().UserDataDir)) {
  InstallStyle();
  set_name("skelvornax-editor");
  set_title(std::string("Edit Category & Site Selector Lists - ") + kAppTitle);
  BuildControls();
  BuildMenu();
  ConnectEvents();
}

Form2::~Form2() {
  filling_ = true;  // the lists' selection signals must not reach half-destroyed controls
}

void Form2::SetOpener(const Form1* opener) {
  if (opener) opener_ = opener;
}

void Form2::BuildControls() {
  ListView1.SetColumnCaptions({"Site Name", "URL"});
  ListView2.SetColumnCaptions({"Category Name", "Ref. Site Filename"});
  ListView1.SetLabelEdit(true);
  ListView2.SetLabelEdit(true);
  ListView1.set_size_request(-1, kMinListHeight);
  ListView2.set_size_request(-1, kMinListHeight);
  Text2.set_text("http://");
  Text1.set_hexpand(true);
  Text2.set_hexpand(true);
  Text1.set_placeholder_text("New category name");
  Command6[0].set_image_from_icon_name("go-up-symbolic", Gtk::ICON_SIZE_MENU);
  Command6[1].set_image_from_icon_name("go-down-symbolic", Gtk::ICON_SIZE_MENU);
  for (auto& b : Command6) b.get_style_context()->add_class("border");
  Command7.set_image_from_icon_name("document-open-symbolic", Gtk::ICON_SIZE_MENU);
  Command7.set_always_show_image(true);
  ImageCombo2.set_hexpand(true);
  Label1.set_margin_start(8);

  auto* outer = Gtk::manage(new Gtk::Box(Gtk::ORIENTATION_VERTICAL, 6));
  outer->set_border_width(8);

  // Categories: new-category row above their list.
  auto* catRow = Gtk::manage(new Gtk::Box(Gtk::ORIENTATION_HORIZONTAL, 4));
  catRow->pack_start(Text1, true, true);
  catRow->pack_start(Command3, false, false);
  catRow->pack_start(Command4, false, false);
  auto* top = Gtk::manage(new Gtk::Box(Gtk::ORIENTATION_VERTICAL, 4));
  top->pack_start(*catRow, false, false);
  top->pack_start(ListView2, true, true);

  // Sites: the buttons acting on the list below, the list, then the new-address row.
  auto* siteRow = Gtk::manage(new Gtk::Box(Gtk::ORIENTATION_HORIZONTAL, 4));
  siteRow->pack_start(Command6[0], false, false);
  siteRow->pack_start(Command6[1], false, false);
  siteRow->pack_start(Command1, false, false);
  siteRow->pack_start(Command2, false, false);
  siteRow->pack_start(Command7, false, false);
  siteRow->pack_start(Command10, false, false);
  auto* copyRow = Gtk::manage(new Gtk::Box(Gtk::ORIENTATION_HORIZONTAL, 4));
  copyRow->pack_start(Label1, false, false);
  copyRow->pack_start(ImageCombo2, true, true);
  auto* urlRow = Gtk::manage(new Gtk::Box(Gtk::ORIENTATION_HORIZONTAL, 4));
  urlRow->pack_start(Text2, true, true);
  urlRow->pack_start(Command5, false, false);
  auto* bottom = Gtk::manage(new Gtk::Box(Gtk::ORIENTATION_VERTICAL, 4));
  bottom->set_margin_top(4);
  bottom->pack_start(*siteRow, false, false);
  bottom->pack_start(ListView1, true, true);
  bottom->pack_start(*urlRow, false, false);

  Splitter.pack1(*top, true, false);
  Splitter.pack2(*bottom, true, false);
  Splitter.set_wide_handle(true);

  // Copy/move destination on the left, back-up on the right.
  auto* footer = Gtk::manage(new Gtk::Box(Gtk::ORIENTATION_HORIZONTAL, 4));
  footer->pack_start(*copyRow, true, true);
  auto* gap = Gtk::manage(new Gtk::Separator(Gtk::ORIENTATION_VERTICAL));
  gap->set_margin_start(6);
  gap->set_margin_end(6);
  footer->pack_start(*gap, false, false);
  footer->pack_start(Command8, false, false);
  footer->pack_start(Command9, false, false);

  outer->pack_start(Splitter, true, true);
  outer->pack_start(*footer, false, false);
  add(*outer);
}

void Form2::BuildMenu() {
  for (Gtk::MenuItem* item : {&mnuMoveUp, &mnuMovedown, &mnuToTop, &mnuToBot, static_cast<Gtk::MenuItem*>(&mnuSep1),
                              &mnuSortAscend, &mnuSortDecend, &mnuDelete, static_cast<Gtk::MenuItem*>(&mnuSep2),
                              &mnuMoveToCat, &mnuCopyToCat, &mnuSelectAll, &mnuCopSelURLtoClipboard})
    mnuPop1.append(*item);
  mnuPop1.show_all();
  mnuPop1.attach_to_widget(*this);
}

void Form2::ConnectEvents() {
  signal_delete_event().connect([this](GdkEventAny*) {
    Form_QueryUnload();
    return true;
  });
  signal_key_press_event().connect(sigc::mem_fun(*this, &Form2::Form_KeyDown), false);
  ListView2.Tree().get_selection()->signal_changed().connect(sigc::mem_fun(*this, &Form2::ListView2_Click));
  // A click on the category already selected changes no selection, yet it
  // still resets the copy/move destination and reads its sites again.
  ListView2.Click.connect(sigc::mem_fun(*this, &Form2::ListView2_Click));
  ListView1.Tree().get_selection()->signal_changed().connect(sigc::mem_fun(*this, &Form2::ListView1_Click));
  ListView* lists[] = {&ListView1, &ListView2};
  for (int index = 1; index <= 2; ++index) {
    ListView& list = *lists[index - 1];
    list.BeforeLabelEdit.connect([this, index](int) { ListView_BeforeLabelEdit(index); });
    list.AfterLabelEdit.connect(
        [this, index](int row, const std::string& text) { ListView_AfterLabelEdit(index, row, text); });
    list.Tree().signal_button_press_event().connect(
        [this, index](GdkEventButton* e) { return ListView_MouseDown(index, e); }, false);
    list.Tree().signal_button_release_event().connect(
        [this, index](GdkEventButton* e) { return ListView_MouseUp(index, e); }, false);
  }
  Command1.signal_clicked().connect(sigc::mem_fun(*this, &Form2::Command1_Click));
  Command2.signal_clicked().connect(sigc::mem_fun(*this, &Form2::Command2_Click));
  Command3.signal_clicked().connect(sigc::mem_fun(*this, &Form2::Command3_Click));
  Command4.signal_clicked().connect(sigc::mem_fun(*this, &Form2::Command4_Click));
  Command5.signal_clicked().connect(sigc::mem_fun(*this, &Form2::Command5_Click));
  Command6[0].signal_clicked().connect([this] { Command6_Click(0); });
  Command6[1].signal_clicked().connect([this] { Command6_Click(1); });
  Command7.signal_clicked().connect(sigc::mem_fun(*this, &Form2::Command7_Click));
  Command8.signal_clicked().connect(sigc::mem_fun(*this, &Form2::Command8_Click));
  Command9.signal_clicked().connect(sigc::mem_fun(*this, &Form2::Command9_Click));
  Command10.signal_clicked().connect(sigc::mem_fun(*this, &Form2::Command10_Click));
  // History rows can be added while a History window is there to give them.
  property_is_active().signal_changed().connect([this] { Command10.set_sensitive(app_.History() != nullptr); });
  Text1.signal_activate().connect(sigc::mem_fun(*this, &Form2::Command3_Click));
  Text2.signal_activate().connect(sigc::mem_fun(*this, &Form2::Command5_Click));
  mnuMoveUp.signal_activate().connect(sigc::mem_fun(*this, &Form2::mnuMoveUp_Click));
  mnuMovedown.signal_activate().connect(sigc::mem_fun(*this, &Form2::mnuMovedown_Click));
  mnuToTop.signal_activate().connect(sigc::mem_fun(*this, &Form2::mnuToTop_Click));
  mnuToBot.signal_activate().connect(sigc::mem_fun(*this, &Form2::mnuToBot_Click));
  mnuSortAscend.signal_activate().connect(sigc::mem_fun(*this, &Form2::mnuSortAscend_Click));
  mnuSortDecend.signal_activate().connect(sigc::mem_fun(*this, &Form2::mnuSortDecend_Click));
  mnuDelete.signal_activate().connect(sigc::mem_fun(*this, &Form2::mnuDelete_Click));
  mnuMoveToCat.signal_activate().connect(sigc::mem_fun(*this, &Form2::mnuMoveToCat_Click));
  mnuCopyToCat.signal_activate().connect(sigc::mem_fun(*this, &Form2::mnuCopyToCat_Click));
  mnuSelectAll.signal_activate().connect(sigc::mem_fun(*this, &Form2::mnuSelectAll_Click));
  mnuCopSelURLtoClipboard.signal_activate().connect(sigc::mem_fun(*this, &Form2::mnuCopSelURLtoClipboard_Click));
}

void Form2::Form_Load() {
  Module1State& m = Module1();
  const Settings& s = m.Working;
  busy_.emplace(m.BusyWindowOpen);
  importFolder_ = m.FavoritesDir;
  ApplyListFont();
  const bool backup = s.BackupInEditor == 1;
  Command8.set_sensitive(backup);
  Command9.set_sensitive(backup);
  LoadLists();
  Command10.set_sensitive(app_.History() != nullptr);

  // The editor opens over the window it was called from.
  if (const auto page = app_.PageOf(opener_)) move(page->x + 40, page->y + 40);
  const bool neverSized = s.EditorWidth <= kFloorWidth && s.EditorHeight <= kFloorHeight;
  const int width = neverSized ? kFirstWidth : Px(s.EditorWidth);
  const int height = neverSized ? kFirstHeight : Px(s.EditorHeight);
  set_default_size(width, height);
  Splitter.set_position(std::max(kMinListHeight, height * 2 / 5));
  // A column never sized takes the list's width less 300 twips.
  const int fallback = std::max(60, width - 20 - Px(300));
  const auto col = [fallback](float stored) { return stored > 0 ? Px(stored) : fallback; };
  ListView1.SetColumnWidth(0, col(s.EditorColWidth[0]));
  ListView1.SetColumnWidth(1, col(s.EditorColWidth[1]));
  ListView2.SetColumnWidth(0, col(s.EditorColWidth[2]));
  ListView2.SetColumnWidth(1, col(s.EditorColWidth[3]));
  F2ToolT();
  show_all();
  ListView2.Tree().grab_focus();
}

void Form2::Form_QueryUnload() {
  if (unloaded_) return;
  unloaded_ = true;
  Module1State& m = Module1();
  busy_.reset();
  m.AddFromHistory = 0;
  set_modal(false);
  DiscardUndo(dirs_, restorePending_);  // a restore becomes final here
  app_.RefillSelectors();
  Settings& s = m.Working;
  int width = 0, height = 0;
  get_size(width, height);
  s.EditorWidth = Tw(width);
  s.EditorHeight = Tw(height);
  s.EditorColWidth[0] = Tw(ListView1.ColumnWidth(0));
  s.EditorColWidth[1] = Tw(ListView1.ColumnWidth(1));
  s.EditorColWidth[2] = Tw(ListView2.ColumnWidth(0));
  s.EditorColWidth[3] = Tw(ListView2.ColumnWidth(1));
  hide();
  app_.EditorUnloaded();
}

bool Form2::Form_KeyDown(GdkEventKey* key) {
  // Esc inside a name being edited cancels the edit, not the window.
  if (key->keyval != GDK_KEY_Escape || ListView1.Editing() || ListView2.Editing()) return false;
  Form_QueryUnload();
  return true;
}

void Form2::ApplyListFont() {
  const Pango::FontDescription font = ListFont(Module1().Working);
  ListView1.SetFont(font);
  ListView2.SetFont(font);
  SetWidgetFont(Text1, font);
  SetWidgetFont(Text2, font);
}

void Form2::F2ToolT() {
  const Module1State& m = Module1();
  const auto& t = m.ToolTipTexts;
  const bool off = m.Working.NoToolTips != 0;
  auto tip = [off](Gtk::Widget& w, const std::string& text) { w.set_tooltip_text(off ? "" : text); };
  tip(Command3, t[tips::kAddCategory]);
  tip(Text1, t[tips::kCategoryBox]);
  tip(Command4, t[tips::kDeleteCategory]);
  tip(Command1, t[tips::kAddThisPage]);
  tip(ImageCombo2, t[tips::kDestinationCategory]);
  tip(Command2, t[tips::kDeleteSites]);
  tip(Command5, t[tips::kAddAddress]);
  tip(Text2, t[tips::kAddressEntry]);
  tip(Command6[0], t[tips::kBorderUp]);
  tip(Command6[1], t[tips::kBorderDown]);
  tip(Command7, t[tips::kImportFavorites]);
  tip(Command10, t[tips::kAddHistoryToCategory]);
  SetBackupTips();
  SetListTips();
}

void Form2::SetBackupTips() {
  const Module1State& m = Module1();
  const bool off = m.Working.NoToolTips != 0;
  const std::string suffix = LastBackupSuffix(m.Working.LastBackupDate, dates::ToOleDate(dates::NowLocal()));
  Command8.set_tooltip_text(off ? "" : m.ToolTipTexts[tips::kBackUp] + suffix);
  Command9.set_label(restorePending_ ? "Undo" : "Restore");
  Command9.set_tooltip_text(off               ? ""
                            : restorePending_ ? "Undo The -Restore-"
                                              : m.ToolTipTexts[tips::kRestore] + suffix);
}

void Form2::SetListTips() {
  const bool off = Module1().Working.NoToolTips != 0;
  ListView1.set_tooltip_text(off ? "" : ListView1.Text(ListView1.SelectedIndex()));
  ListView2.set_tooltip_text(off ? "" : ListView2.Text(ListView2.SelectedIndex()));
}

// ---- loading the lists ----

void Form2::LoadLists() {
  loading_ = true;
  listReadFailed_ = false;
  FillCategories(0);
  loading_ = false;
  if (listReadFailed_) Show("An Error Occurred Opening File And Loading Category Selector List");
}

void Form2::FillCategories(int select) {
  filling_ = true;
  ListView2.Clear();
  ImageCombo2.remove_all();
  const auto categories = TryReadCategories(CatListPathIn(dirs_.live));
  if (!categories) listReadFailed_ = true;
  for (const auto& c : categories.value_or(std::vector<CategoryRecord>())) {
    ListView2.AddRow(c.Name, {SiteFileName(c.FileNumber)});
    ImageCombo2.append(c.Name);
  }
  const int count = ListView2.RowCount();
  if (count > 0) {
    select = std::clamp(select, 0, count - 1);
    ListView2.Select(select);
    ListView2.EnsureVisible(select);
    ImageCombo2.set_active(select);
  }
  filling_ = false;
  ListView2_Click();
}

void Form2::FillSites(const std::vector<int>& select) {
  filling_ = true;
  ListView1.Clear();
  if (!currentSiteFile_.empty()) {
    const auto sites = TryReadSites(currentSiteFile_);
    if (!sites) listReadFailed_ = true;
    for (const auto& s : sites.value_or(std::vector<SiteRecord>())) ListView1.AddRow(s.Name, {s.URL});
  }
  bool first = true;
  for (int row : select) {
    if (row < 0 || row >= ListView1.RowCount()) continue;
    ListView1.Select(row, first);
    if (first) ListView1.EnsureVisible(row);
    first = false;
  }
  filling_ = false;
  SetListTips();
}

// ---- list events ----

void Form2::ListView2_Click() {
  if (filling_) return;
  const int count = ListView2.RowCount();
  int selected = ListView2.SelectedIndex();
  if (selected < 0 && count > 0) {
    // The site list always belongs to a highlighted category.
    ListView2.Select(std::clamp(lastCategory_, 0, count - 1));
    return;  // the selection change comes back here
  }
  const std::string file = selected < 0 ? "" : fileops::Join(dirs_.live, ListView2.SubItem(selected, 1));
  ImageCombo2.set_active(selected);
  const bool changed = file != currentSiteFile_ || selected != lastCategory_;
  lastCategory_ = selected;
  currentSiteFile_ = file;
  if (!loading_) listReadFailed_ = false;
  if (changed || ListView1.RowCount() == 0) {
    FillSites({});
  } else {
    // Same category: reread, keeping the site selection.
    FillSites(ListView1.SelectedRows());
  }
  if (!loading_ && listReadFailed_) Show(kListsError);
}

void Form2::ListView1_Click() {
  if (!filling_) SetListTips();
}

void Form2::ListView_BeforeLabelEdit(int) { labelEditCounts_ = {ListView1.RowCount(), ListView2.RowCount()}; }

void Form2::ListView_AfterLabelEdit(int index, int row, const std::string& text) {
  if (labelEditCounts_[0] != ListView1.RowCount() || labelEditCounts_[1] != ListView2.RowCount()) {
    Show("Be Sure To Click Down The Name Edit Box\nBefore Proceeding With Other Edits.");
    return;
  }
  const Outcome out = index == 2                 ? RenameCategory(dirs_.live, row, text)
                      : currentSiteFile_.empty() ? Outcome{}
                                                 : RenameSite(currentSiteFile_, row, text);
  if (out.result == EditResult::Duplicate) Show("Edit Cancelled: Name Entered Is Already On Your List.");
  if (out.result == EditResult::FileError) Show(kListsError);
  if (out.result != EditResult::Done && out.result != EditResult::FileError) return;
  if (index == 2)
    FillCategories(row);
  else
    FillSites({row});
}

bool Form2::ListView_MouseDown(int index, GdkEventButton* e) {
  ListView& list = index == 1 ? ListView1 : ListView2;
  return RightPressSelectsRow(list.Tree(), e, list.SelectedRows(), [&list](int row) { list.Select(row); });
}

bool Form2::ListView_MouseUp(int index, GdkEventButton* e) {
  if (e->button != 3) return false;
  PreparePopup(index);
  mnuPop1.popup_at_pointer(reinterpret_cast<GdkEvent*>(e));
  return true;
}

void Form2::PreparePopup(int index) {
  activeList_ = index == 2 ? 2 : 1;
  const bool sites = activeList_ == 1;
  for (Gtk::MenuItem* item : {&mnuMoveToCat, &mnuCopyToCat, &mnuSelectAll, &mnuCopSelURLtoClipboard})
    item->set_sensitive(sites);
}

// ---- categories ----

void Form2::Command3_Click() {
  const Outcome out = AddCategory(dirs_.live, Text1.get_text());
  switch (out.result) {
    case EditResult::Duplicate:
      Show("You Already Have A Category Named:\n" + out.name);
      return;
    case EditResult::NoFreeNumber:
      Show("An Error Occurred Opening Files And Getting New Filename");
      return;
    case EditResult::FileError:
      Show("An Error Occurred Opening File Or Adding Category To List");
      break;
    case EditResult::Done:
      Text1.set_text("");
      break;
    default:
      return;
  }
  const int selected = ListView2.SelectedIndex();
  FillCategories(selected >= 0 ? selected : 0);
}

void Form2::Command4_Click() {
  if (ListView2.RowCount() == 0) return;
  const int selected = ListView2.SelectedIndex();
  if (selected < 0) return;
  if (!Confirm("Deleted The Selected Category And Its Site List?")) return;
  const Outcome out = DeleteCategory(dirs_.live, selected);
  if (out.result == EditResult::FileError) Show(kListsError);
  FillCategories(out.result == EditResult::Done ? out.index : selected);
}

// ---- sites ----

void Form2::Command5_Click() {
  if (currentSiteFile_.empty()) {
    Show(kFirstCreateCategory);
    return;
  }
  const Outcome out = AddTypedAddress(currentSiteFile_, Text2.get_text());
  if (out.result == EditResult::Unchanged) return;
  if (out.result == EditResult::Duplicate)
    Show("The URL Address You Entered Is Already On The List:\n" + out.name);
  else if (out.result == EditResult::FileError)
    Show(kListsError);
  if (out.result != EditResult::Duplicate) FillSites({out.index});
  Text2.set_text("http://");
}

void Form2::Command1_Click() {
  if (ListView2.RowCount() == 0 || currentSiteFile_.empty()) {
    Show(kFirstCreateCategory);
    return;
  }
  const auto page = app_.PageOf(opener_);
  if (!page) return;
  const Outcome out = AddPage(currentSiteFile_, page->title, page->url);
  if (out.result == EditResult::Unchanged) return;
  if (out.result == EditResult::FileError) Show(kListsError);
  FillSites({out.index});
}

void Form2::Command2_Click() {
  if (ListView1.RowCount() == 0 || currentSiteFile_.empty()) return;
  const auto rows = ListView1.SelectedRows();
  if (rows.empty()) return;
  if (!Confirm("Deleted The Selected Site(s) From Site List?")) return;
  if (DeleteSites(currentSiteFile_, rows).result == EditResult::FileError) Show(kListsError);
  FillSites({});
}

void Form2::Command6_Click(int index) {
  // 0 raises the border (the site list grows), 1 lowers it.
  const int limit = std::max(kMinListHeight, Splitter.get_allocated_height() - kMinListHeight);
  const int now = Splitter.get_position() + (index == 0 ? -kBorderStep : kBorderStep);
  Splitter.set_position(std::clamp(now, kMinListHeight, limit));
}

void Form2::MoveSelected(Move how) {
  if (activeList_ == 2) {
    const Outcome out = MoveCategory(dirs_.live, ListView2.SelectedIndex(), how);
    if (out.result == EditResult::FileError) Show(kListsError);
    if (out.result != EditResult::Unchanged) FillCategories(out.result == EditResult::Done ? out.index : 0);
  } else if (!currentSiteFile_.empty()) {
    const Outcome out = MoveSite(currentSiteFile_, ListView1.SelectedIndex(), how);
    if (out.result == EditResult::FileError) Show(kListsError);
    if (out.result != EditResult::Unchanged) FillSites({out.index});
  }
}

void Form2::mnuMoveUp_Click() { MoveSelected(Move::Up); }
void Form2::mnuMovedown_Click() { MoveSelected(Move::Down); }
void Form2::mnuToTop_Click() { MoveSelected(Move::ToTop); }
void Form2::mnuToBot_Click() { MoveSelected(Move::ToBottom); }

void Form2::SortActive(bool ascending) {
  if (activeList_ == 2) {
    const Outcome out = SortCategories(dirs_.live, ascending, ListView2.SelectedIndex());
    if (out.result == EditResult::FileError) Show(kListsError);
    if (out.result != EditResult::Unchanged) FillCategories(std::max(out.index, 0));
  } else if (!currentSiteFile_.empty()) {
    const Outcome out = SortSites(currentSiteFile_, ascending, ListView1.SelectedIndex());
    if (out.result == EditResult::FileError) Show(kListsError);
    if (out.result != EditResult::Unchanged) FillSites({out.index});
  }
}

void Form2::mnuSortAscend_Click() { SortActive(true); }
void Form2::mnuSortDecend_Click() { SortActive(false); }

void Form2::mnuDelete_Click() {
  if (activeList_ == 2)
    Command4_Click();
  else
    Command2_Click();
}

void Form2::CopyOrMove(bool move) {
  if (ListView1.RowCount() == 0 || ListView2.RowCount() == 0 || currentSiteFile_.empty()) return;
  const int source = ListView2.SelectedIndex(), dest = ImageCombo2.get_active_row_number();
  if (source < 0 || dest < 0 || dest >= ListView2.RowCount()) return;
  const std::string destPath = fileops::Join(dirs_.live, ListView2.SubItem(dest, 1));
  if (source == dest || destPath == currentSiteFile_) {
    Show("Can't Copy:\nSource And Destination Categories Are The Same");
    return;
  }
  const auto rows = ListView1.SelectedRows();
  if (rows.empty()) return;
  const std::string question =
      move ? "Confirm: Move The Selected Sites? ..To:" : "Confirm: Copy The Selected Sites? ..To:";
  if (!Confirm(question + "\n" + ListView2.Text(dest))) return;
  const Outcome out = move ? MoveSites(currentSiteFile_, rows, destPath) : CopySites(currentSiteFile_, rows, destPath);
  if (out.result == EditResult::FileError)
    Show(move ? "An Error Occurred Opening File And Moving List Items"
              : "An Error Occurred Opening File And Copying List Items");
  if (move) FillSites({});
}

void Form2::mnuMoveToCat_Click() { CopyOrMove(true); }
void Form2::mnuCopyToCat_Click() { CopyOrMove(false); }

void Form2::mnuSelectAll_Click() { ListView1.Tree().get_selection()->select_all(); }

void Form2::mnuCopSelURLtoClipboard_Click() {
  if (ListView1.RowCount() == 0) return;
  const std::string url = ListView1.SubItem(ListView1.SelectedIndex(), 1);
  if (url.empty()) return;
  auto clipboard = Gtk::Clipboard::get();
  clipboard->clear();
  clipboard->set_text(url);
}

// ---- favourites ----

void Form2::Command7_Click() {
  if (ListView2.RowCount() == 0 || currentSiteFile_.empty()) {
    Show(kFirstCreateCategory);
    return;
  }
  OpenFilesRequest request;
  request.title = "Import Favorites";
  request.filter = kFavoritesFilter;
  request.folder = importFolder_.empty() ? Glib::get_home_dir() : importFolder_;
  request.multiple = true;
  request.parent = this;
  const auto files = ShowOpenFiles(request);
  if (files.empty()) return;
  importFolder_ = fileops::FolderOf(files.front());
  const Outcome out = ImportShortcuts(currentSiteFile_, files);
  if (out.result == EditResult::FileError) Show("An Error Occurred Accessing Internet Explorer Favorites.");
  FillSites({});
}

// ---- history items ----

void Form2::TakeHistoryItems() {
  Command10.set_sensitive(app_.History() != nullptr);
  Command10.grab_focus();
}

void Form2::Command10_Click() {
  const int dest = ListView2.SelectedIndex();
  if (ListView2.RowCount() == 0 || dest < 0 || currentSiteFile_.empty()) return;
  if (!Confirm("Confirm: Copy The Selected History Sites..To Category:\n" + ListView2.Text(dest))) return;
  const Form6* history = app_.History();
  if (!history) return;
  const int before = ListView1.RowCount();
  const Outcome out = AppendSites(currentSiteFile_, history->SelectedHistoryItems());
  if (out.result == EditResult::FileError) Show("An Error Occurred Opening File To Add Item To List");
  if (out.result != EditResult::Done) return;
  std::vector<int> added;
  for (int i = 0; i < out.index; ++i) added.push_back(before + i);
  FillSites(added);
}

// ---- back-up, restore, undo ----

void Form2::Command8_Click() {
  if (MsgBox("Confirm: Do You Want To Back-Up Your Files?", MsgButtons::YesNo, this) != MsgAnswer::Yes) return;
  switch (BackUpLists(dirs_)) {
    case DirResult::NothingToBackUp:
      Show("There Aren't Any Files To Back-Up In Your SiteLists Dir");
      return;
    case DirResult::Done:
      break;
    default:
      Show("An Error Occurred Backing-Up Your  SiteLists Dir");
      return;
  }
  Module1().Working.LastBackupDate = dates::ToOleDate(dates::NowLocal());
  SetBackupTips();
}

void Form2::Command9_Click() {
  if (!restorePending_) {
    const bool yes = MsgBox(
                         "Confirm: Do You Want -Restore- To Replace Your\n"
                         "Current Files With the Backed-Up Files Set?\n\n"
                         "Note: After A Restore You Can UnDo The Restore\n"
                         "By Clicking The -UnDo- Button.",
                         MsgButtons::YesNo, this) == MsgAnswer::Yes;
    if (yes) {
      switch (RestoreLists(dirs_, restorePending_)) {
        case DirResult::UndoInTheWay:
          Show(
              "Can Not Restore. An -UnDo- In The Past Errored.\nWithout Closing This Window, Use Explorer\n"
              "File Manager To Delete The Following Directory:\n" +
              dirs_.undo + "\n\nThen Try Again.");
          break;
        case DirResult::EmptyBackup:
          Show("Restore Imposible: There Aren't Any Files In Your Back-Up Dir");
          break;
        case DirResult::Error:
          Show(kRestoreError);
          break;
        default:
          break;
      }
    }
  } else if (UndoRestore(dirs_, restorePending_) != DirResult::Done) {
    Show(kRestoreError);
  }
  SetBackupTips();
  FillCategories(ListView2.SelectedIndex());
}

// ---- helpers ----

bool Form2::Confirm(const std::string& text) {
  if (Module1().Working.NoDeleteWarnings == 1) return true;
  return MsgBox(text, MsgButtons::YesNo, this) == MsgAnswer::Yes;
}

void Form2::Show(const std::string& text) { MsgBox(text, MsgButtons::Ok, this); }
