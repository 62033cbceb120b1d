// A web server on 127.0.0.1 for page tests: serves the pages it is given
// and counts every request it receives.
#pragma once

#include <libsoup/soup.h>

#include <map>
#include <string>

class LoopbackServer {
 public:
  LoopbackServer();
  // Serves https with the certificate and key in this PEM file.
  explicit LoopbackServer(const std::string& tlsPemPath);
  ~LoopbackServer();
  LoopbackServer(const LoopbackServer&) = delete;
  LoopbackServer& operator=(const LoopbackServer&) = delete;

  // Serves `body` at `path` (e.g. "/a") with the content type.
  void Page(const std::string& path, const std::string& body, const std::string& type = "text/html");
  // A page with this title and body text.
  void TitledPage(const std::string& path, const std::string& title, const std::string& extra = "");
  std::string Url(const std::string& path) const;
  int Requests(const std::string& path) const;
  int TotalRequests() const { return total_; }
  GTlsCertificate* Certificate() const { return certificate_; }

 private:
  static void Handle(SoupServer*, SoupServerMessage*, const char* path, GHashTable*, gpointer p);
  struct Resource {
    std::string body, type;
  };
  SoupServer* server_ = nullptr;
  GTlsCertificate* certificate_ = nullptr;
  int port_ = 0;
  std::map<std::string, Resource> pages_;
  std::map<std::string, int> requests_;
  int total_ = 0;
};
