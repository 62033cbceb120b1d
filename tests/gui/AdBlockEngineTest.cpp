// In-page ad blocking with the real engine: small filter lists compiled by
// the engine, pages from a loopback server that counts what reaches it.
#include <utime.h>

#include "core/adblock/FilterLists.h"
#include "core/records/FileOps.h"
#include "gui/GuiTest.h"
#include "platform/AdBlocking.h"
#include "platform/FilterListUpdates.h"
#include "platform/WebKitBrowser.h"
#include "support/LoopbackServer.h"
#include "ui/browser/Form1.h"

namespace {

// The exception sits in the other list: it must still undo the block.
const char* const kAds =
    "[Adblock Plus 2.0]\n! Expires: 4 days\n/banner-ad.png\n||127.0.0.1^*/tracker.js$script\n"
    "/allowed-ad.png\n##.ad-banner\n127.0.0.1##.site-ad\n~127.0.0.1##.elsewhere-ad\n";
const char* const kPrivacy = "[Adblock Plus 2.0]\n@@/allowed-ad.png$image\n";

// The page says, once everything has loaded or failed, what it could see:
// the generic hiding, then the hiding for this site and for all but it.
const char* const kPage = R"(<!DOCTYPE html><html><head><title>loading</title>
<script src="/tracker.js"></script></head><body>
<img id="banner" src="/banner-ad.png"><img id="allowed" src="/allowed-ad.png">
<div class="ad-banner" id="hidden">ad</div><div class="content" id="shown">text</div>
<div class="site-ad" id="site">ad of this site</div><div class="elsewhere-ad" id="elsewhere">ad elsewhere</div>
<script>
window.addEventListener('load', () => {
  const d = (id) => getComputedStyle(document.getElementById(id)).display;
  document.title = 'done ' + d('hidden') + ' ' + d('shown') + (d('site') === 'none' ? '' : ' site-shown') +
                   (d('elsewhere') === 'none' ? ' elsewhere-hidden' : '') + (window.trackerRan ? ' tracked' : '');
});
</script></body></html>)";

class AdBlockEngine : public GuiTest {
 protected:
  void SetUp() override {
    ASSERT_TRUE(PrepareProgram());
    UseRealEngine();
    MakeDirs(lists.path() + "/" + adblock::kListsFolder);
    WriteString(lists.path() + "/FilterLists/easylist.txt", kAds);
    WriteString(lists.path() + "/FilterLists/easyprivacy.txt", kPrivacy);
    server.Page("/page", kPage);
    server.Page("/tracker.js", "window.trackerRan = true;", "application/javascript");
    server.Page("/banner-ad.png", "x", "image/png");
    server.Page("/allowed-ad.png", "x", "image/png");
  }

  void TearDown() override {
    adblocking::SetAllowed("127.0.0.1", false);
    adblocking::SetEnabled(false);
    CloseAllMainWindows();
    RunFor(50);
  }

  void StartBlocking() {
    adblocking::Start({lists.path(), data.path(), Home() + "/.cache/adblock-test", true, 0}, [] {});
    adblocking::SetEnabled(true);
    ASSERT_TRUE(RunUntil([] { return adblocking::Current() == adblocking::State::On; }, 60000));
  }

  Form1* OpenPage() {
    Form1* w = OpenWindow(std::make_unique<WebKitBrowser>());
    w->WebBrowser1.Navigate(server.Url("/page"));
    EXPECT_TRUE(RunUntil([&] { return w->PageTitle().rfind("done", 0) == 0; }));
    return w;
  }

  TempDir lists, data;
  LoopbackServer server;
};

TEST_F(AdBlockEngine, BlockedResourcesAreNeverRequestedAndAdsAreHidden) {
  StartBlocking();
  Form1* w = OpenPage();
  EXPECT_EQ(w->PageTitle(), "done none block");
  EXPECT_EQ(server.Requests("/page"), 1);
  EXPECT_EQ(server.Requests("/tracker.js"), 0);
  EXPECT_EQ(server.Requests("/banner-ad.png"), 0);
  EXPECT_GE(server.Requests("/allowed-ad.png"), 1);  // the exception (the engine may ask twice)
}

TEST_F(AdBlockEngine, AllowingTheSiteLoadsItsAdsAtOnceAndBlockingAgainStopsThem) {
  StartBlocking();
  Form1* w = OpenPage();
  ASSERT_EQ(server.Requests("/banner-ad.png"), 0);

  w->ShowAdBlocking();
  EXPECT_EQ(w->StatusBar1.Text(4), "Ads Blocked");
  EXPECT_EQ(w->mnuAllowAds.get_label(), "Allow _Ads On This Site");

  w->mnuAllowAds_Click();
  EXPECT_TRUE(RunUntil([&] { return w->PageTitle() == "done block block site-shown tracked"; }));
  const int loaded = server.Requests("/banner-ad.png");  // the engine may ask twice in a reload
  EXPECT_GE(loaded, 1);
  EXPECT_EQ(w->StatusBar1.Text(4), "Ads Allowed");
  EXPECT_EQ(w->mnuAllowAds.get_label(), "Block _Ads On This Site");
  EXPECT_TRUE(adblock::AllowedSites::Load(data.path()).Allows("127.0.0.1"));

  w->mnuAllowAds_Click();
  EXPECT_TRUE(RunUntil([&] { return w->PageTitle() == "done none block"; }));
  EXPECT_EQ(server.Requests("/banner-ad.png"), loaded);
  EXPECT_EQ(w->StatusBar1.Text(4), "Ads Blocked");
}

TEST_F(AdBlockEngine, ViewsMadeForAPageAreFilteredToo) {
  StartBlocking();
  Form1* w = OpenPage();
  auto* opener = dynamic_cast<WebKitBrowser*>(&w->WebBrowser1);
  ASSERT_NE(opener, nullptr);
  std::unique_ptr<WebBrowser> child = opener->CreateRelated();
  Gtk::OffscreenWindow holder;
  holder.add(child->Widget());
  holder.show_all();
  std::string title;
  child->TitleChange.connect([&](const std::string& t) { title = t; });
  child->Navigate(server.Url("/page"));
  EXPECT_TRUE(RunUntil([&] { return title.rfind("done", 0) == 0; }));
  EXPECT_EQ(title, "done none block");
  EXPECT_EQ(server.Requests("/banner-ad.png"), 0);
  holder.remove();
}

TEST_F(AdBlockEngine, SwitchedOffEverythingLoads) {
  StartBlocking();
  adblocking::SetEnabled(false);
  EXPECT_EQ(adblocking::Current(), adblocking::State::Off);
  Form1* w = OpenPage();
  EXPECT_EQ(w->PageTitle(), "done block block site-shown tracked");
  EXPECT_GE(server.Requests("/banner-ad.png"), 1);
}

// A loopback "publisher": a good list replaces the one in use and the filter
// is made again from it; a broken download changes nothing and says why.
TEST_F(AdBlockEngine, UpdateFromThePublisherReplacesTheListAndABrokenOneChangesNothing) {
  StartBlocking();
  const adblock::FilterList easyList = adblock::FilterLists().front();
  std::string newer = "[Adblock Plus 2.0]\n! Expires: 4 days\n/allowed-ad.png\n";
  for (int i = 0; i < 20; ++i) newer += "||ads" + std::to_string(i) + ".example^\n";
  server.Page("/easylist.txt", newer, "text/plain");
  server.Page("/broken.txt", "<html><body>Sign in to the hotel wifi</body></html>");

  std::string status;
  bool replaced = false;
  auto update = [&](const std::string& path) {
    status.clear();
    adblocking::UpdateFilterLists(data.path(), {{easyList, server.Url(path)}}, [&](const std::string& s, bool r) {
      status = s;
      replaced = r;
    });
    return RunUntil([&] { return !status.empty(); });
  };

  ASSERT_TRUE(update("/broken.txt"));
  EXPECT_FALSE(replaced);
  EXPECT_EQ(status, "Filter lists not updated: EasyList: the download is not a filter list");
  EXPECT_FALSE(Exists(adblock::DownloadedListPath(data.path(), easyList)));
  ASSERT_TRUE(update("/missing.txt"));
  EXPECT_EQ(status, "Filter lists not updated: EasyList: the server answered 404");

  ASSERT_TRUE(update("/easylist.txt"));
  EXPECT_TRUE(replaced);
  EXPECT_EQ(status, "Filter lists updated");
  EXPECT_EQ(adblock::ReadList(lists.path(), data.path(), easyList), newer);
  // The filter is made again: the new list no longer blocks the banner or
  // the tracker.
  ASSERT_TRUE(RunUntil([] { return adblocking::Current() == adblocking::State::On; }, 60000));
  // The filter of the old list goes from the store.
  EXPECT_TRUE(RunUntil([&] { return fileops::ListFiles(Home() + "/.cache/adblock-test/AdFilter").size() == 1; }));
  OpenPage();
  EXPECT_GE(server.Requests("/banner-ad.png"), 1);
  EXPECT_GE(server.Requests("/tracker.js"), 1);

  ASSERT_TRUE(update("/broken.txt"));
  EXPECT_EQ(adblock::ReadList(lists.path(), data.path(), easyList), newer);
}

// A list is fetched again once its copy in use is older than its header
// allows: the shipped copy's age counts until a downloaded one exists.
TEST_F(AdBlockEngine, ListsAreDueByTheAgeOfTheCopyInUseAndTheirExpiresHeader) {
  const auto age = [](const std::string& path, long long seconds) {
    const utimbuf times{static_cast<time_t>(seconds), static_cast<time_t>(seconds)};
    ASSERT_EQ(::utime(path.c_str(), &times), 0) << path;
  };
  const long long now = 2000000000;
  const std::string shipped = lists.path() + "/FilterLists/";
  age(shipped + "easylist.txt", now - 3 * 24 * 3600);     // "4 days": still current
  age(shipped + "easyprivacy.txt", now - 5 * 24 * 3600);  // no header, so 4 days: due
  auto due = adblocking::DueLists(lists.path(), data.path(), now);
  ASSERT_EQ(due.size(), 1u);
  EXPECT_STREQ(due[0].list.name, "EasyPrivacy");
  EXPECT_EQ(due[0].url, "https://easylist.to/easylist/easyprivacy.txt");

  std::string fresh = "[Adblock Plus 2.0]\n";
  for (int i = 0; i < 20; ++i) fresh += "||t" + std::to_string(i) + ".example^\n";
  std::string why;
  ASSERT_TRUE(adblock::StoreDownloadedList(data.path(), due[0].list, fresh, &why)) << why;
  age(adblock::DownloadedListPath(data.path(), due[0].list), now - 3600);
  EXPECT_TRUE(adblocking::DueLists(lists.path(), data.path(), now).empty());
  EXPECT_EQ(adblocking::DueLists(lists.path(), data.path(), now + 2 * 24 * 3600).size(), 1u);  // EasyList then
}

}  // namespace
