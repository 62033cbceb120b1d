// What the files of WebKitBrowser share among themselves: the engine's
// context, the live browsers and the offline mode. Not for other code.
#pragma once

#include <webkit2/webkit2.h>

#include <set>
#include <string>

class WebKitBrowser;
struct CertificateFacts;

namespace webkit_detail {
WebKitBrowser* Self(gpointer p);
std::string OrEmpty(const char* s);
WebKitWebContext*& Context();
// Never destroyed: a browser may go after the statics, at the program's exit.
std::set<WebKitBrowser*>& LiveBrowsers();
bool& Offline();
// Removes the compiled filters of `store` whose names start with `prefix`,
// except the one named `keep`: what older rules left behind.
void RemoveOtherFilters(WebKitUserContentFilterStore* store, const std::string& prefix, const std::string& keep);
// What a site's certificate says of itself, and what is wrong with it.
CertificateFacts FactsOf(GTlsCertificate* certificate, GTlsCertificateFlags errors, const std::string& host);
}  // namespace webkit_detail
