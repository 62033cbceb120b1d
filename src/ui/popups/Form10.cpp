#include "ui/popups/Form10.h"

#include <gdk/gdkkeysyms.h>

#include <algorithm>
#include <vector>

#include "core/app/Module1.h"
#include "core/popups/DontKillList.h"
#include "core/sitelists/ListFiles.h"
#include "platform/Desktop.h"
#include "platform/Dialogs.h"
#include "ui/app/ListFont.h"

Form10::Form10(const std::string& pageTitle, const std::string& pageUrl) : pageTitle_(pageTitle), pageUrl_(pageUrl) {
  BuildControls();
  ConnectEvents();
  Form_Load();
}

void Form10::BuildControls() {
  set_title("Don't-Kill Pop-Up List");
  set_type_hint(Gdk::WINDOW_TYPE_HINT_DIALOG);
  ListView1.SetColumnCaptions({"Name", "URL"});
  Label1.set_text("Name");
  Label2.set_text("URL");
  for (Gtk::Label* label : {&Label1, &Label2}) label->set_halign(Gtk::ALIGN_START);
  // The record's field widths: typing stops where saving would cut.
  Text1.set_max_length(static_cast<int>(list_layout::kSiteNameWidth));
  Text2.set_max_length(static_cast<int>(list_layout::kSiteUrlWidth));
  Text1.set_hexpand(true);
  Text2.set_hexpand(true);
  Command1.set_label("Enter Address >>>");
  Command1.set_halign(Gtk::ALIGN_END);
  Check1.set_label("Replace Selected");
  Check1.set_halign(Gtk::ALIGN_START);

  // The list takes what the window gains on resizing; the boxes below it
  // only grow wider.
  grid_.set_row_spacing(6);
  grid_.set_column_spacing(8);
  grid_.attach(Label1, 0, 0, 1, 1);
  grid_.attach(Text1, 1, 0, 2, 1);
  grid_.attach(Label2, 0, 1, 1, 1);
  grid_.attach(Text2, 1, 1, 2, 1);
  grid_.attach(Check1, 1, 2, 1, 1);
  grid_.attach(Command1, 2, 2, 1, 1);
  box_.set_border_width(8);
  box_.pack_start(ListView1, true, true);
  box_.pack_start(grid_, false, false);
  add(box_);
  box_.show_all();

  mnuLoadTexts.set_label("_Load Selected Item To Edit Text Boxes");
  mnuSellAll.set_label("_Select All");
  mnuDelete.set_label("_Delete Selected Item(s)");
  for (Gtk::MenuItem* item : {&mnuLoadTexts, &mnuSellAll, &mnuDelete}) item->set_use_underline(true);
  mnuPop10.append(mnuLoadTexts);
  mnuPop10.append(mnuSep1);
  mnuPop10.append(mnuSellAll);
  mnuPop10.append(mnuDelete);
  mnuPop10.show_all();
  mnuPop10.attach_to_widget(ListView1);
}

void Form10::ConnectEvents() {
  Command1.signal_clicked().connect(sigc::mem_fun(*this, &Form10::Command1_Click));
  mnuLoadTexts.signal_activate().connect(sigc::mem_fun(*this, &Form10::mnuLoadTexts_Click));
  mnuSellAll.signal_activate().connect(sigc::mem_fun(*this, &Form10::mnuSellAll_Click));
  mnuDelete.signal_activate().connect(sigc::mem_fun(*this, &Form10::mnuDelete_Click));
  ListView1.Tree().signal_button_press_event().connect(sigc::mem_fun(*this, &Form10::ListView1_MouseDown), false);
  ListView1.Tree().signal_button_release_event().connect(sigc::mem_fun(*this, &Form10::ListView1_MouseUp), false);
  signal_key_press_event().connect(sigc::mem_fun(*this, &Form10::Form_KeyDown), false);
  signal_show().connect(sigc::mem_fun(*this, &Form10::Form_Activate));
  signal_delete_event().connect([this](GdkEventAny*) {
    Form_QueryUnload();
    return true;  // closing hides the window; its owner frees it
  });
}

void Form10::ApplyFonts() {
  const Pango::FontDescription listFont = ListFont(Module1().Working);
  ListView1.SetFont(listFont);
  // The text boxes are in Arial where it is installed, else in the list font.
  Pango::FontDescription textFont = listFont;
  const auto fonts = InstalledFonts();
  if (std::find(fonts.begin(), fonts.end(), "Arial") != fonts.end()) textFont.set_family("Arial");
  SetWidgetFont(Text1, textFont);
  SetWidgetFont(Text2, textFont);
}

void Form10::Form_Load() {
  Module1State& m = Module1();
  busy_.emplace(m.BusyWindowOpen);
  ApplyFonts();
  const WorkArea area = PrimaryWorkArea();
  const DontKillLayout layout = LayoutFromSettings(m.Working.DontKillLayout, area.width, area.height);
  set_default_size(layout.width, layout.height);
  ListView1.SetColumnWidth(0, layout.nameColumn);
  ListView1.SetColumnWidth(1, layout.urlColumn);
  for (const SiteRecord& entry : ReadDontKill(m.DontKillPath)) ListView1.AddRow(entry.Name, {entry.URL});
  F10ToolT();
}

void Form10::F10ToolT() {
  const bool off = Module1().Working.NoToolTips != 0;
  auto tip = [off](Gtk::Widget& w, const char* text) {
    w.set_tooltip_text(off ? "" : text);
    w.set_has_tooltip(!off);
  };
  tip(Text1, "Name Of Web Page (Can Be Anything)");
  tip(Text2, "URL Address You Want Kill Pop-Ups Not To Kill");
  tip(Command1, "Click To Add Address From -Name- And -URL- Text Boxes To List");
  tip(Check1, "When -Enter Address- Is Clicked, Replace The Selected List Item, Instead Of Adding To List");
}

void Form10::Form_Activate() {
  // Once per window, so that a later activation does not undo the user's typing.
  if (activated_) return;
  activated_ = true;
  const SiteRecord page = DontKillEntry(pageTitle_, pageUrl_);
  Text1.set_text(page.Name);
  Text2.set_text(page.URL);
}

void Form10::Command1_Click() {
  const SiteRecord entry = DontKillEntry(Text1.get_text(), Text2.get_text());
  Text1.set_text("");
  Text2.set_text("");
  const bool replace = Check1.get_active();
  if (replace) Check1.set_active(false);
  const EntryPlacement at = PlaceEntry(ListView1.RowCount(), replace, ListView1.SelectedIndex());
  if (at.replaces) ListView1.RemoveRow(at.row);
  const int row = ListView1.InsertRow(at.row, entry.Name, {entry.URL});
  ListView1.Select(row);
  ListView1.EnsureVisible(row);
}

void Form10::mnuLoadTexts_Click() {
  const int row = ListView1.SelectedIndex();
  if (row < 0) return;
  Text1.set_text(ListView1.Text(row));
  Text2.set_text(ListView1.SubItem(row, 1));
}

void Form10::mnuSellAll_Click() {
  for (int row = 0; row < ListView1.RowCount(); ++row) ListView1.Select(row, false);
}

void Form10::mnuDelete_Click() {
  std::vector<int> rows = ListView1.SelectedRows();
  if (rows.empty()) return;  // nothing to delete: no question either
  if (Module1().Working.NoDeleteWarnings == 0 &&
      MsgBox("Deleted The Selected Addresses(s) From Site List?", MsgButtons::YesNo, this) != MsgAnswer::Yes)
    return;
  // From the last to the first, so the row numbers still to go stay valid.
  std::sort(rows.rbegin(), rows.rend());
  for (int row : rows) ListView1.RemoveRow(row);
}

bool Form10::ListView1_MouseDown(GdkEventButton* e) {
  return RightPressSelectsRow(ListView1.Tree(), e, ListView1.SelectedRows(),
                              [this](int row) { ListView1.Select(row); });
}

bool Form10::ListView1_MouseUp(GdkEventButton* e) {
  if (e->button != 3) return false;
  mnuPop10.popup_at_pointer(reinterpret_cast<GdkEvent*>(e));
  return true;
}

bool Form10::Form_KeyDown(GdkEventKey* key) {
  if (key->keyval != GDK_KEY_Escape) return false;
  Form_QueryUnload();
  return true;
}

void Form10::Form_QueryUnload() {
  if (unloaded_) return;
  unloaded_ = true;
  Module1State& m = Module1();
  std::vector<SiteRecord> list;
  for (int row = 0; row < ListView1.RowCount(); ++row) list.push_back({ListView1.Text(row), ListView1.SubItem(row, 1)});
  if (!RewriteDontKill(m.DontKillPath, list))
    MsgBox("An Error Occurred Opening File And Saving List", MsgButtons::Ok, this);
  int width = 0, height = 0;
  get_size(width, height);
  m.Working.DontKillLayout = LayoutToSettings({width, height, ListView1.ColumnWidth(0), ListView1.ColumnWidth(1)});
  busy_.reset();
  hide();
  Unloaded.emit();
}
