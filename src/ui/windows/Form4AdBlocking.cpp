// Form4: the "Ad Blocking" tab — the switch for in-page blocking (kept in
// the program's own preferences file), what the filter lists in use are,
// and their update.
#include <sys/stat.h>

#include "core/adblock/FilterLists.h"
#include "core/app/Preferences.h"
#include "core/records/FileOps.h"
#include "platform/AdBlocking.h"
#include "ui/browser/AdBlockUi.h"
#include "ui/windows/Form4.h"

namespace {

// "EasyList: 76,000 filters of 31 Oct 2025" for the copy in use.
std::string ListLine(const Module1State& m, const adblock::FilterList& list) {
  const std::string text = adblock::ReadList(m.AppDir, m.UserDataDir, list);
  if (text.empty()) return std::string(list.name) + ": missing";
  std::string path = adblock::DownloadedListPath(m.UserDataDir, list);
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0 || !adblock::LooksLikeFilterList(text)) {
    path = fileops::Join(fileops::Join(m.AppDir, adblock::kListsFolder), list.file);
    if (::stat(path.c_str(), &st) != 0) st.st_mtime = 0;
  }
  const std::string date = Glib::DateTime::create_now_local(st.st_mtime).format("%d %b %Y");
  return std::string(list.name) + ": " + std::to_string(adblock::FilterLineCount(text)) + " filters, of " + date;
}

}  // namespace

void Form4::BuildAdBlockingTab() {
  Gtk::Box* tab = adBlockingTab_ = AddTab("Ad Blocking");
  CheckBlockAds.set_label("Block Ads And Trackers In Pages");
  CheckBlockAds.set_active(prefs::Load(Module1().UserDataDir).BlockAdsInPages);
  CheckBlockAds.signal_toggled().connect([this] { changed_ = true; });
  LabelFilterLists.set_xalign(0);
  LabelFilterLists.set_line_wrap(true);
  LabelFilterLists.set_selectable(true);
  CommandUpdateLists.set_label("Update Filter Lists Now");
  CommandUpdateLists.set_halign(Gtk::ALIGN_START);
  CommandUpdateLists.signal_clicked().connect(sigc::mem_fun(*this, &Form4::CommandUpdateLists_Click));
  auto* note = Gtk::manage(new Gtk::Label(
      "A site can be let to show ads from the menu: Allow Ads On This Site. Lists are fetched from their "
      "publishers when they expire; the status bar tells how an update went.",
      Gtk::ALIGN_START));
  note->set_line_wrap(true);
  tab->pack_start(CheckBlockAds, false, false);
  tab->pack_start(LabelFilterLists, false, false);
  tab->pack_start(CommandUpdateLists, false, false);
  tab->pack_start(*note, false, false);
  CheckBlockAds.get_accessible()->set_name("Block Ads And Trackers In Pages");
  LabelFilterLists.get_accessible()->set_name("Filter lists in use");
  ShowFilterLists();
}

void Form4::ShowFilterLists() {
  std::string text;
  for (const auto& list : adblock::FilterLists()) text += (text.empty() ? "" : "\n") + ListLine(Module1(), list);
  LabelFilterLists.set_text(text);
}

void Form4::CommandUpdateLists_Click() {
  UpdateFilterListsNow(app_);
  CommandUpdateLists.set_sensitive(false);  // one update per opening is plenty
}

void Form4::ApplyAdBlocking() {
  const std::string& dataDir = Module1().UserDataDir;
  prefs::Preferences p = prefs::Load(dataDir);
  if (p.BlockAdsInPages == CheckBlockAds.get_active()) return;
  p.BlockAdsInPages = CheckBlockAds.get_active();
  if (!prefs::Save(dataDir, p)) return;
  // The running copy follows, so a later save of other choices keeps this one.
  prefs::Current().BlockAdsInPages = p.BlockAdsInPages;
  adblocking::SetEnabled(p.BlockAdsInPages);
}

bool Form4::RestoreAdBlockingDefaults() {
  if (TabStrip1.get_nth_page(TabStrip1.get_current_page()) != adBlockingTab_) return false;
  CheckBlockAds.set_active(prefs::Preferences().BlockAdsInPages);
  return true;
}
