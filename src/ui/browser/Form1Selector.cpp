// Form1: the drop-down site selector, as one list of categories and their
// pages, or as a category list with the chosen category's pages below it.
#include "core/app/Module1.h"
#include "core/app/SharedRoutines.h"
#include "core/sitelists/ListFiles.h"
#include "platform/Desktop.h"
#include "ui/browser/Form1.h"

using namespace form1_layout;

namespace {
std::string SitePath(int16_t fileNumber) { return Module1().SiteListsDir + "/" + SiteFileName(fileNumber); }

// Enter on a highlighted row: never the click that dropped the list down.
bool ByKeyboard() {
  GdkEvent* event = gtk_get_current_event();
  const bool key = event && event->type == GDK_KEY_PRESS;
  if (event) gdk_event_free(event);
  return key;
}
}  // namespace

void Form1::FillSelectors() {
  if (Module1().Working.SeparateSelectors == 1) {
    ListView2.SetColumnCaptions({"   Categories", ""});
    LodCombos();
  } else {
    ListView2.SetColumnCaptions({"   Categories And Web Page Names", "URL Addresses"});
    UniLodCombo();
  }
}

void Form1::UniLodCombo() {
  ListView2.BeginUpdate();
  ListView2.Clear();
  const auto categories = ReadCategories(Module1().CatListPath);
  for (std::size_t i = 0; i < categories.size(); ++i) {
    ListView2.AddRow(categories[i].Name, {""}, std::to_string(i + 1) + "C", true);
    for (const auto& site : ReadSites(SitePath(categories[i].FileNumber))) ListView2.AddRow(site.Name, {site.URL});
  }
  ListView2.EndUpdate();
  selectorJustLoaded_ = true;
  LayOutSelectors();
}

void Form1::LodCombos() {
  ListView2.Clear();
  ListView1.Clear();
  shownSiteFile_ = 0;
  const auto categories = ReadCategories(Module1().CatListPath);
  for (const auto& c : categories) ListView2.AddRow(c.Name, {""});
  selectorJustLoaded_ = true;
  if (!categories.empty()) LoadSiteRows(ListView1, categories.front().FileNumber);
  LayOutSelectors();
}

// A page was added to a site file elsewhere: only a selector that shows that
// file is read again; the others keep the category the user chose.
void Form1::SiteFileChanged(int16_t fileNumber) {
  if (Module1().Working.SeparateSelectors != 1) {
    UniLodCombo();  // the combined selector shows every category
  } else if (shownSiteFile_ == fileNumber) {
    LoadSiteRows(ListView1, fileNumber);
    LayOutSelectors();
  }
}

void Form1::LoadSiteRows(ListView& list, int16_t fileNumber) {
  if (&list == &ListView1) shownSiteFile_ = fileNumber;
  list.BeginUpdate();
  list.Clear();
  for (const auto& site : ReadSites(SitePath(fileNumber))) list.AddRow(site.Name, {site.URL});
  list.EndUpdate();
}

void Form1::SizeList(ListView& list, float top) {
  const TwipRect& from = layout_.Command14;
  const float height = SelectorHeight(list.RowCount(), rowHeightUnit_, top, layout_.innerHeight);
  list.set_margin_start(Px(from.left));
  list.set_margin_top(Px(top));
  list.set_size_request(Px(layout_.Command15.right() - from.left), std::max(1, Px(height)));
}

void Form1::LayOutSelectors() {
  const float top = SelectorTop(layout_.Text1);
  SizeList(ListView2, top);
  int w = 0, h = 0;
  ListView2.get_size_request(w, h);
  SizeList(ListView1, top + Tw(h));
}

void Form1::ShowSelector(ListView& list, bool show) { list.set_visible(show); }

void Form1::HideSelectors() {
  ShowSelector(ListView1, false);
  ShowSelector(ListView2, false);
  selectorInUse_ = false;
}

void Form1::Command14_Click() {
  if (ListView1.get_visible() || ListView2.get_visible()) {
    HideSelectors();
  } else {
    ShowSelector(ListView2, true);
    ListView2.Tree().grab_focus();
    selectorInUse_ = true;
  }
  LayOutSelectors();
}

void Form1::ListView2_Click() {
  if (selectorJustLoaded_) {
    selectorJustLoaded_ = false;
    if (!ByKeyboard()) return;
  }
  const int row = ListView2.SelectedIndex();
  if (row < 0) return;
  if (Module1().Working.SeparateSelectors != 1) {
    const std::string key = ListView2.Key(row);
    if (!key.empty() && key.back() == 'C') return;  // a category heading
    OpenFromList(ListView2);
    return;
  }
  const auto categories = ReadCategories(Module1().CatListPath);
  if (static_cast<std::size_t>(row) >= categories.size()) {
    ListView1.Clear();
    shownSiteFile_ = 0;
  } else {
    LoadSiteRows(ListView1, categories[static_cast<std::size_t>(row)].FileNumber);
  }
  ShowSelector(ListView1, true);
  LayOutSelectors();
}

void Form1::ListView1_Click() {
  if (ListView1.SelectedIndex() >= 0) OpenFromList(ListView1);
}

void Form1::OpenFromList(ListView& list) {
  const std::string url = list.SubItem(list.SelectedIndex(), 1);
  if (url.empty()) return;
  ShowAddress(MyComboTex(url));
  RestartCountdown();
  OpenPage(url);
  HideSelectors();
}

void Form1::ListView_ColumnClick(DeferredAction action) { StartTimer5(250, action); }

// A drop-down closes when the focus leaves for anything but the lists and
// their buttons, as drop-downs do.
void Form1::ListView_LostFocus() {
  for (Gtk::Widget* w :
       std::initializer_list<Gtk::Widget*>{&ListView1.Tree(), &ListView2.Tree(), &Command14, &Command15})
    if (w->has_focus()) return;
  if (ListView1.get_visible() || ListView2.get_visible()) HideSelectors();
}
