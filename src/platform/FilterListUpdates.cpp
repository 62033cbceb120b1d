#include "platform/FilterListUpdates.h"

#include <libsoup/soup.h>
#include <sys/stat.h>

#include <memory>

#include "core/records/FileOps.h"
#include "platform/AdBlocking.h"

namespace adblocking {
namespace {

struct Round {
  std::string userDataDir;
  std::function<void(const std::string&, bool)> done;
  std::vector<std::string> failures;
  int left = 0;
  int replaced = 0;
  SoupSession* session = nullptr;
  ~Round() {
    if (session) g_object_unref(session);
  }
};

struct Fetch {
  std::shared_ptr<Round> round;
  adblock::FilterList list;
};

void Finish(const std::shared_ptr<Round>& round) {
  if (--round->left > 0) return;
  std::string status;
  if (round->failures.empty()) {
    status = "Filter lists updated";
  } else {
    status = "Filter lists not updated: ";
    for (std::size_t i = 0; i < round->failures.size(); ++i) status += (i ? "; " : "") + round->failures[i];
  }
  if (round->replaced > 0) ReloadLists();
  round->done(status, round->replaced > 0);
}

void Received(GObject* session, GAsyncResult* result, gpointer data) {
  std::unique_ptr<Fetch> fetch(static_cast<Fetch*>(data));
  Round& round = *fetch->round;
  GError* error = nullptr;
  GBytes* body = soup_session_send_and_read_finish(SOUP_SESSION(session), result, &error);
  SoupMessage* message = soup_session_get_async_result_message(SOUP_SESSION(session), result);
  const guint status = message ? soup_message_get_status(message) : 0;
  std::string why;
  if (!body) {
    why = error ? error->message : "no answer";
  } else if (status != SOUP_STATUS_OK) {
    why = "the server answered " + std::to_string(status);
  } else {
    gsize size = 0;
    const auto* bytes = static_cast<const char*>(g_bytes_get_data(body, &size));
    if (adblock::StoreDownloadedList(round.userDataDir, fetch->list, std::string_view(bytes ? bytes : "", size), &why))
      ++round.replaced;
  }
  if (!why.empty()) round.failures.push_back(std::string(fetch->list.name) + ": " + why);
  if (error) g_error_free(error);
  if (body) g_bytes_unref(body);
  Finish(fetch->round);
}

long long ModifiedSeconds(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 ? static_cast<long long>(st.st_mtime) : -1;
}

}  // namespace

std::vector<ListSource> PublishedLists() {
  std::vector<ListSource> sources;
  for (const auto& list : adblock::FilterLists()) sources.push_back({list, list.url});
  return sources;
}

void UpdateFilterLists(const std::string& userDataDir, const std::vector<ListSource>& sources,
                       const std::function<void(const std::string& status, bool replaced)>& done) {
  auto round = std::make_shared<Round>();
  round->userDataDir = userDataDir;
  round->done = done;
  round->left = static_cast<int>(sources.size()) + 1;  // + this call, so none finishes the round early
  round->session = soup_session_new_with_options("timeout", 60, "max-conns-per-host", 2, nullptr);
  for (const auto& source : sources) {
    SoupMessage* message = soup_message_new("GET", source.url.c_str());
    if (!message) {
      round->failures.push_back(std::string(source.list.name) + ": bad address");
      --round->left;
      continue;
    }
    soup_session_send_and_read_async(round->session, message, G_PRIORITY_LOW, nullptr, Received,
                                     new Fetch{round, source.list});
    g_object_unref(message);
  }
  Finish(round);
}

std::vector<ListSource> DueLists(const std::string& programDir, const std::string& userDataDir, long long nowSeconds) {
  std::vector<ListSource> due;
  for (const auto& source : PublishedLists()) {
    std::string path = adblock::DownloadedListPath(userDataDir, source.list);
    long long modified = ModifiedSeconds(path);
    if (modified < 0) {
      path = fileops::Join(fileops::Join(programDir, adblock::kListsFolder), source.list.file);
      modified = ModifiedSeconds(path);
    }
    const std::string text = adblock::ReadList(programDir, userDataDir, source.list);
    if (modified < 0 || nowSeconds - modified > adblock::ExpiresHours(text) * 3600LL) due.push_back(source);
  }
  return due;
}

}  // namespace adblocking
