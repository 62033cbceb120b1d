// Form1: in-page ad blocking — the allow/block entry for the page's site,
// the update of the filter lists and the status bar's ad panel.
#include <glib.h>

#include "core/adblock/FilterLists.h"
#include "core/app/Module1.h"
#include "core/app/Preferences.h"
#include "platform/AdBlocking.h"
#include "platform/Desktop.h"
#include "platform/Dialogs.h"
#include "platform/FilterListUpdates.h"
#include "ui/app/App.h"
#include "ui/browser/AdBlockUi.h"
#include "ui/browser/Form1.h"

namespace {
// The automatic check waits until the first pages have loaded.
constexpr unsigned kUpdateCheckDelaySeconds = 60;

void ShowInEveryWindow(App& app, const std::string& status) {
  for (Form1* w : app.MainWindows()) {
    w->ShowAdBlocking();
    if (!status.empty()) w->ShowFilterListStatus(status);
  }
}
}  // namespace

void StartAdBlocking(App& app, const std::string& cacheDir) {
  const Module1State& m = Module1();
  const bool enabled = prefs::Current().BlockAdsInPages;  // loaded just before, at start-up
  adblocking::Start({m.AppDir, m.UserDataDir, cacheDir, enabled}, [&app] { ShowInEveryWindow(app, ""); });
  if (!enabled) return;
  Glib::signal_timeout().connect_seconds_once(
      [&app] {
        const Module1State& now = Module1();
        auto due = adblocking::DueLists(now.AppDir, now.UserDataDir, g_get_real_time() / G_USEC_PER_SEC);
        if (due.empty() || adblocking::Current() == adblocking::State::Off) return;
        adblocking::UpdateFilterLists(now.UserDataDir, due,
                                      [&app](const std::string& status, bool) { ShowInEveryWindow(app, status); });
      },
      kUpdateCheckDelaySeconds);
}

void UpdateFilterListsNow(App& app) {
  ShowInEveryWindow(app, "Updating the filter lists...");
  adblocking::UpdateFilterLists(Module1().UserDataDir, adblocking::PublishedLists(),
                                [&app](const std::string& status, bool) { ShowInEveryWindow(app, status); });
}

void Form1::mnuAllowAds_Click() {
  const std::string url = WebBrowser1.LocationURL();
  const std::string host = adblock::HostOf(url);
  if (host.empty()) return;
  if (!adblocking::SetAllowed(host, !adblocking::AllowedOn(url)))
    MsgBox("The list of sites that show ads could not be saved.", MsgButtons::Ok, this);
  ShowAdBlocking();
}

void Form1::mnuUpdateFilterLists_Click() { UpdateFilterListsNow(app_); }

void Form1::ShowAdBlocking() {
  const std::string url = WebBrowser1.LocationURL();
  const bool web = !adblock::HostOf(url).empty();
  const bool allowed = web && adblocking::AllowedOn(url);
  ShowLabel(mnuAllowAds, allowed ? "Block _Ads On This Site" : "Allow _Ads On This Site");
  mnuAllowAds.set_sensitive(web && adblocking::Current() != adblocking::State::Off);
  std::string text, tip;
  switch (adblocking::Current()) {
    case adblocking::State::On:
      text = !web ? "" : allowed ? "Ads Allowed" : "Ads Blocked";
      tip = allowed ? "Ads and trackers load on this site (Menu: Block Ads On This Site)"
                    : "Ads and trackers in this page are blocked (Menu: Allow Ads On This Site)";
      break;
    case adblocking::State::Preparing:
      text = "Ad Filter...";
      tip = "The ad filter is being prepared; pages load unblocked until it is ready";
      break;
    case adblocking::State::Failed:
      text = "No Ad Filter";
      tip = "The filter lists could not be read or compiled";
      break;
    case adblocking::State::Off:
      break;
  }
  StatusBar1.SetText(4, text);
  StatusBar1.SetPicture(4, text == "Ads Blocked" ? "security-high-symbolic" : "");
  StatusBar1.SetToolTip(4, tip);
}
