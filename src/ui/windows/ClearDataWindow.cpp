#include "ui/windows/ClearDataWindow.h"

#include <gdk/gdkkeysyms.h>

#include "core/app/Module1.h"
#include "core/history/ClearHistory.h"
#include "ui/app/App.h"

ClearDataWindow::ClearDataWindow(App& app, std::unique_ptr<SiteData> data)
    : CheckCookies("_Cookies and site data", true),
      CheckCache("C_ached pages and images", true),
      CheckHistory("_History", true),
      CommandClear("Clear _Now", true),
      CommandRemoveSite("_Remove This Site's Cookies", true),
      CommandClose("Close"),
      app_(app),
      data_(std::move(data)) {
  BuildControls();
  CommandClear.signal_clicked().connect(sigc::mem_fun(*this, &ClearDataWindow::CommandClear_Click));
  CommandRemoveSite.signal_clicked().connect(sigc::mem_fun(*this, &ClearDataWindow::CommandRemoveSite_Click));
  CommandClose.signal_clicked().connect(sigc::mem_fun(*this, &ClearDataWindow::Form_QueryUnload));
  signal_delete_event().connect([this](GdkEventAny*) {
    Form_QueryUnload();
    return true;
  });
  signal_key_press_event().connect([this](GdkEventKey* key) {
    if (key->keyval != GDK_KEY_Escape) return false;
    Form_QueryUnload();
    return true;
  });
  LoadSites();
}

ClearDataWindow::~ClearDataWindow() = default;

void ClearDataWindow::BuildControls() {
  set_title(std::string("Clear Browsing Data - ") + kAppTitle);
  set_type_hint(Gdk::WINDOW_TYPE_HINT_DIALOG);
  set_position(Gtk::WIN_POS_CENTER_ON_PARENT);
  auto* box = Gtk::manage(new Gtk::Box(Gtk::ORIENTATION_VERTICAL, 6));
  box->set_border_width(12);
  auto heading = [box](const char* text) {
    auto* l = Gtk::manage(new Gtk::Label);
    l->set_markup(std::string("<b>") + text + "</b>");
    l->set_xalign(0);
    box->pack_start(*l, false, false);
  };
  heading("Clear");
  for (Gtk::CheckButton* c : {&CheckCookies, &CheckCache, &CheckHistory}) {
    c->set_active(true);
    box->pack_start(*c, false, false);
  }
  heading("From");
  const char* const periods[] = {"The last _hour", "_Today", "_Everything"};
  for (std::size_t i = 0; i < OptionPeriod.size(); ++i) {
    OptionPeriod[i].set_label(periods[i]);
    OptionPeriod[i].set_use_underline(true);
    if (i > 0) OptionPeriod[i].join_group(OptionPeriod[0]);
    box->pack_start(OptionPeriod[i], false, false);
  }
  box->pack_start(CommandClear, false, false);
  box->pack_start(*Gtk::manage(new Gtk::Separator), false, false, 6);
  heading("Cookies of one site");
  ComboSites.get_accessible()->set_name("Sites That Keep Cookies");
  box->pack_start(ComboSites, false, false);
  box->pack_start(CommandRemoveSite, false, false);
  LabelStatus.set_xalign(0);
  LabelStatus.set_line_wrap(true);
  box->pack_start(LabelStatus, false, false);
  box->pack_end(CommandClose, false, false);
  add(*box);
  show_all();
}

void ClearDataWindow::LoadSites() {
  data_->SitesWithCookies([alive = Alive(), this](const std::vector<std::string>& sites) {
    if (alive.expired()) return;
    ComboSites.remove_all();
    for (const std::string& s : sites) ComboSites.append(s);
    if (!sites.empty()) ComboSites.set_active(0);
    CommandRemoveSite.set_sensitive(!sites.empty());
  });
}

void ClearDataWindow::CommandClear_Click() {
  auto period = ClearPeriod::Everything;
  for (std::size_t i = 0; i < OptionPeriod.size(); ++i)
    if (OptionPeriod[i].get_active()) period = static_cast<ClearPeriod>(i);
  const LocalDateTime now = dates::NowLocal();
  bool ok = true;
  if (CheckHistory.get_active()) {
    ok = ClearHistory(Module1().HistoryDir, period, now);
    app_.HistoryCleared();
  }
  const int kinds =
      (CheckCookies.get_active() ? SiteData::kCookiesAndStorage : 0) | (CheckCache.get_active() ? SiteData::kCache : 0);
  LabelStatus.set_text(ok ? "Cleared." : "Some history files could not be changed.");
  if (kinds == 0) return;
  data_->Clear(kinds, ClearPeriodSeconds(period, now), [alive = Alive(), this, ok](bool cleared) {
    if (alive.expired()) return;
    LabelStatus.set_text(ok && cleared ? "Cleared." : "Not everything could be cleared.");
    LoadSites();
  });
}

void ClearDataWindow::CommandRemoveSite_Click() {
  const std::string site = ComboSites.get_active_text();
  if (site.empty()) return;
  data_->RemoveCookiesOf(site, [alive = Alive(), this, site](bool ok) {
    if (alive.expired()) return;
    LabelStatus.set_text(ok ? "The cookies of " + site + " are gone." : "The cookies of " + site + " stay.");
    LoadSites();
  });
}

void ClearDataWindow::Form_QueryUnload() {
  if (unloaded_) return;
  unloaded_ = true;
  hide();
  Unloaded.emit();
}
