#include "platform/WebBrowser.h"

#include "core/browser/Addresses.h"

namespace {

std::string EscapeHtml(const std::string& s) {
  std::string out;
  for (const char c : s) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      case '\'':
        out += "&#39;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

}  // namespace

bool WebBrowser::NavigateNewWindow(const std::string& url) {
  WebBrowser* fresh = NewWindow2 ? NewWindow2() : nullptr;
  if (!fresh) return false;
  // A window opened for a new start may already be loading this address.
  if (fresh->LocationURL() != CompleteAddress(url)) fresh->Navigate(url);
  fresh->ReadyToShow.emit();
  return true;
}

namespace {
const char* const kPageStyle =
    "body{font-family:sans-serif;background:#f4f5f7;color:#222;margin:0}"
    "main{max-width:42em;margin:12vh auto;padding:2em;background:#fff;border-radius:8px;"
    "box-shadow:0 1px 4px rgba(0,0,0,.15)}h1{font-size:1.4em;margin-top:0}"
    "code{word-break:break-all;color:#555}a.button{display:inline-block;margin-top:1em;padding:.5em 1.2em;"
    "background:#2d6cdf;color:#fff;border-radius:4px;text-decoration:none}"
    "a.risk{background:#b3261e}dl{display:grid;grid-template-columns:max-content auto;gap:.3em 1em}"
    "dt{color:#555}dd{margin:0;word-break:break-all}";

std::string Page(const std::string& title, const std::string& body) {
  return "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>" + EscapeHtml(title) + "</title><style>" +
         kPageStyle + "</style></head><body><main><h1>" + EscapeHtml(title) + "</h1>" + body + "</main></body></html>";
}
}  // namespace

std::string ErrorPageHtml(const std::string& title, const std::string& reason, const std::string& url) {
  // Page text and address are untrusted: escaped before they reach the HTML,
  // and only ordinary addresses get a link to try again.
  const std::string u = EscapeHtml(url);
  const bool linkable = url.rfind("http://", 0) == 0 || url.rfind("https://", 0) == 0 || url.rfind("file://", 0) == 0;
  const std::string retry = linkable ? "<a class=\"button\" href=\"" + u + "\">Try Again</a>" : "";
  return Page(title, "<p>" + EscapeHtml(reason) + "</p><p><code>" + u + "</code></p>" + retry);
}

std::string CertificatePageHtml(const CertificateFacts& facts, const std::string& url, const std::string& acceptHref) {
  std::string body = "<p>The connection to <b>" + EscapeHtml(facts.host.empty() ? url : facts.host) +
                     "</b> is not secure, so the page was not loaded. Someone may be trying to read or change "
                     "what you send and receive.</p><ul>";
  for (const auto& problem : facts.problems) body += "<li>" + EscapeHtml(problem) + "</li>";
  body += "</ul><dl>";
  const std::pair<const char*, std::string> rows[] = {{"Issued to", facts.subject},
                                                      {"Issued by", facts.issuer},
                                                      {"Valid from", facts.validFrom},
                                                      {"Valid until", facts.validUntil},
                                                      {"Address", url}};
  for (const auto& [label, value] : rows)
    if (!value.empty()) body += "<dt>" + std::string(label) + "</dt><dd><code>" + EscapeHtml(value) + "</code></dd>";
  body +=
      "</dl><p>Go back, or accept the risk if you know this site and trust it: it is then allowed with this "
      "certificate until the program ends, and never stored.</p>"
      "<a class=\"button risk\" id=\"accept\" href=\"" +
      EscapeHtml(acceptHref) + "\">Accept the risk for this session</a>";
  return Page(kErrorTitleCertificate, body);
}
