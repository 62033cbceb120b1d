// WebKitBrowser: the page commands of the menu (text size, select all, find,
// print, save and the page properties).
#include <cstring>

#include "core/records/Coding.h"
#include "core/records/FileOps.h"
#include "platform/ModalLoop.h"
#include "platform/WebKitBrowser.h"
#include "platform/WebKitDetail.h"

using namespace webkit_detail;

namespace {

// One piece of engine work that answers later, with the browser's token.
struct PendingOk {
  std::weak_ptr<int> alive;
  std::function<void(bool)> done;
  std::string path;
  bool failed = false;
  bool Answerable() const { return !alive.expired() && done; }
};

bool SavesDocumentOnly(const std::string& path) {
  const std::string lc = coding::ToLower(path);
  auto endsWith = [&lc](const char* tail) {
    const std::size_t n = std::strlen(tail);
    return lc.size() >= n && lc.compare(lc.size() - n, n, tail) == 0;
  };
  return endsWith(".html") || endsWith(".htm");
}

void OnPrintFailed(WebKitPrintOperation*, GError*, gpointer p) { static_cast<PendingOk*>(p)->failed = true; }

void OnPrintFinished(WebKitPrintOperation* operation, gpointer p) {
  auto* job = static_cast<PendingOk*>(p);
  if (job->Answerable()) job->done(!job->failed);
  delete job;
  g_object_unref(operation);
}

// The operation lives until it has finished; `done` hears how it went.
void StartPrinting(WebKitPrintOperation* operation, std::weak_ptr<int> alive, const std::function<void(bool)>& done) {
  auto* job = new PendingOk{std::move(alive), done, "", false};
  g_signal_connect(operation, "failed", G_CALLBACK(OnPrintFailed), job);
  g_signal_connect(operation, "finished", G_CALLBACK(OnPrintFinished), job);
}

}  // namespace

void WebKitBrowser::SetTextSize(int level) { webkit_web_view_set_zoom_level(view_, TextZoom(level)); }

void WebKitBrowser::SelectAll() { webkit_web_view_execute_editing_command(view_, WEBKIT_EDITING_COMMAND_SELECT_ALL); }

// ---- find ----

void WebKitBrowser::ConnectFind() {
  if (findConnected_) return;
  findConnected_ = true;
  WebKitFindController* finder = webkit_web_view_get_find_controller(view_);
  g_signal_connect(finder, "found-text", G_CALLBACK(OnFoundText), this);
  g_signal_connect(finder, "failed-to-find-text", G_CALLBACK(OnFindFailed), this);
}

void WebKitBrowser::DisconnectCommands() {
  if (findConnected_) g_signal_handlers_disconnect_by_data(webkit_web_view_get_find_controller(view_), this);
  if (findStyle_) webkit_user_style_sheet_unref(findStyle_);
  findStyle_ = nullptr;
}

void WebKitBrowser::OnFoundText(WebKitFindController*, guint matches, gpointer p) {
  static_cast<WebKitBrowser*>(p)->FindFound.emit(matches);
}

void WebKitBrowser::OnFindFailed(WebKitFindController*, gpointer p) {
  static_cast<WebKitBrowser*>(p)->FindFailed.emit();
}

// The engine shows the current match as the selection, which turns pale
// while the keys are in the find bar: paler than the other matches. A strong
// colour of its own marks it instead, for as long as the find runs.
const char* const kFindSelectionStyle =
    "::selection { background-color: rgb(255, 150, 50) !important; color: black !important; }";

void WebKitBrowser::Find(const std::string& text, bool matchCase, FindStep step) {
  ConnectFind();
  if (!findStyle_) {
    findStyle_ = webkit_user_style_sheet_new(kFindSelectionStyle, WEBKIT_USER_CONTENT_INJECT_ALL_FRAMES,
                                             WEBKIT_USER_STYLE_LEVEL_USER, nullptr, nullptr);
    webkit_user_content_manager_add_style_sheet(content_, findStyle_);
  }
  guint32 options = WEBKIT_FIND_OPTIONS_WRAP_AROUND;
  if (!matchCase) options |= WEBKIT_FIND_OPTIONS_CASE_INSENSITIVE;
  if (step == FindStep::Previous) options |= WEBKIT_FIND_OPTIONS_BACKWARDS;
  // The engine searches on from the selection. A new text starts at the top
  // of the page, so that the match it shows is the first, as the count says.
  // (In a world of its own: the page's scripts cannot get in the way.)
  if (step == FindStep::First)
    webkit_web_view_evaluate_javascript(view_, "window.getSelection().removeAllRanges();", -1, "skelvornax-find",
                                        nullptr, nullptr, nullptr, nullptr);
  // Searching the same text again moves to the next match and reports the
  // whole count, which the engine's "next" does not.
  webkit_find_controller_search(webkit_web_view_get_find_controller(view_), text.c_str(), options,
                                FindCounter::kMaxMatches);
}

void WebKitBrowser::FindFinish() {
  if (findConnected_) webkit_find_controller_search_finish(webkit_web_view_get_find_controller(view_));
  if (findStyle_) {
    webkit_user_content_manager_remove_style_sheet(content_, findStyle_);
    webkit_user_style_sheet_unref(findStyle_);
    findStyle_ = nullptr;
  }
}

// ---- print ----

void WebKitBrowser::Print(Gtk::Window* parent, const std::function<void(bool)>& done) {
  WebKitPrintOperation* operation = webkit_print_operation_new(view_);
  WebKitPrintOperationResponse response;
  {
    const ModalLoopScope modal;
    response = webkit_print_operation_run_dialog(operation, parent ? parent->gobj() : nullptr);
  }
  if (response != WEBKIT_PRINT_OPERATION_RESPONSE_PRINT) {
    g_object_unref(operation);
    return;
  }
  StartPrinting(operation, alive_, done);
}

void WebKitBrowser::PrintToFile(const std::string& path, const std::function<void(bool)>& done) {
  gchar* uri = g_filename_to_uri(path.c_str(), nullptr, nullptr);
  if (!uri) {
    done(false);
    return;
  }
  WebKitPrintOperation* operation = webkit_print_operation_new(view_);
  GtkPrintSettings* settings = gtk_print_settings_new();
  gtk_print_settings_set_printer(settings, "Print to File");
  gtk_print_settings_set(settings, GTK_PRINT_SETTINGS_OUTPUT_FILE_FORMAT, "pdf");
  gtk_print_settings_set(settings, GTK_PRINT_SETTINGS_OUTPUT_URI, uri);
  webkit_print_operation_set_print_settings(operation, settings);
  g_object_unref(settings);
  g_free(uri);
  StartPrinting(operation, alive_, done);
  webkit_print_operation_print(operation);
}

// ---- save ----

void WebKitBrowser::SaveAs(const std::string& path, const std::function<void(bool)>& done) {
  auto* job = new PendingOk{alive_, done, path, false};
  if (!SavesDocumentOnly(path)) {
    GFile* file = g_file_new_for_path(path.c_str());
    webkit_web_view_save_to_file(
        view_, file, WEBKIT_SAVE_MODE_MHTML, nullptr,
        [](GObject* view, GAsyncResult* result, gpointer p) {
          std::unique_ptr<PendingOk> saved(static_cast<PendingOk*>(p));
          const gboolean ok = webkit_web_view_save_to_file_finish(WEBKIT_WEB_VIEW(view), result, nullptr);
          if (saved->Answerable()) saved->done(ok);
        },
        job);
    g_object_unref(file);
    return;
  }
  WebKitWebResource* resource = webkit_web_view_get_main_resource(view_);
  if (!resource) {
    delete job;
    done(false);
    return;
  }
  webkit_web_resource_get_data(
      resource, nullptr,
      [](GObject* resource, GAsyncResult* result, gpointer p) {
        std::unique_ptr<PendingOk> saved(static_cast<PendingOk*>(p));
        gsize length = 0;
        guchar* data = webkit_web_resource_get_data_finish(WEBKIT_WEB_RESOURCE(resource), result, &length, nullptr);
        bool ok = false;
        if (data) {
          ok = fileops::ReplaceContent(saved->path, fileops::Bytes(data, data + length));
          g_free(data);
        }
        if (saved->Answerable()) saved->done(ok);
      },
      job);
}

// ---- properties ----

void WebKitBrowser::PageProperties(const std::function<void(const PageInfo&)>& done) {
  PageInfo info;
  info.url = LocationURL();
  info.title = OrEmpty(webkit_web_view_get_title(view_));
  GTlsCertificate* certificate = nullptr;
  GTlsCertificateFlags problems{};
  if (webkit_web_view_get_tls_info(view_, &certificate, &problems) && certificate) {
    const CertificateFacts facts = FactsOf(certificate, problems, "");
    info.secure = true;
    info.certSubject = facts.subject;
    info.certIssuer = facts.issuer;
    info.validFrom = facts.validFrom;
    info.validUntil = facts.validUntil;
    info.certProblems = facts.problems;
  }
  WebKitWebResource* resource = webkit_web_view_get_main_resource(view_);
  if (!resource) {
    done(info);
    return;
  }
  if (WebKitURIResponse* response = webkit_web_resource_get_response(resource)) {
    info.mimeType = OrEmpty(webkit_uri_response_get_mime_type(response));
    const guint64 length = webkit_uri_response_get_content_length(response);
    if (length > 0) info.size = static_cast<int64_t>(length);
  }
  // The size of what arrived, which a compressed or chunked answer does not state.
  struct Asked {
    std::weak_ptr<int> alive;
    std::function<void(const PageInfo&)> done;
    PageInfo info;
    WebKitWebView* view;  // valid while `alive` is
  };
  webkit_web_resource_get_data(
      resource, nullptr,
      [](GObject* resource, GAsyncResult* result, gpointer p) {
        std::unique_ptr<Asked> asked(static_cast<Asked*>(p));
        gsize length = 0;
        GError* error = nullptr;
        guchar* data = webkit_web_resource_get_data_finish(WEBKIT_WEB_RESOURCE(resource), result, &length, &error);
        if (data) asked->info.size = static_cast<int64_t>(length);
        g_free(data);
        if (error) g_error_free(error);
        if (asked->alive.expired() || !asked->done) return;
        if (!asked->info.mimeType.empty()) {
          asked->done(asked->info);
          return;
        }
        // An answer that named no type (a page from a cache, say): the
        // document knows what it was read as.
        WebKitWebView* view = asked->view;
        webkit_web_view_evaluate_javascript(
            view, "document.contentType", -1, nullptr, nullptr, nullptr,
            [](GObject* view, GAsyncResult* result, gpointer p) {
              std::unique_ptr<Asked> typed(static_cast<Asked*>(p));
              if (JSCValue* value =
                      webkit_web_view_evaluate_javascript_finish(WEBKIT_WEB_VIEW(view), result, nullptr)) {
                if (jsc_value_is_string(value)) {
                  gchar* text = jsc_value_to_string(value);
                  typed->info.mimeType = OrEmpty(text).substr(0, 100);
                  g_free(text);
                }
                g_object_unref(value);
              }
              if (!typed->alive.expired()) typed->done(typed->info);
            },
            asked.release());
      },
      new Asked{alive_, done, info, view_});
}
