// A web server on 127.0.0.1 for page tests: serves the pages it is given
// and counts every request it receives.
#pragma once

#include <libsoup/soup.h>

#include <map>
#include <string>
#include <vector>

class LoopbackServer {
 public:
  LoopbackServer();
  // Serves https with this certificate (and key) in one PEM file.
  explicit LoopbackServer(const std::string& certificatePem);
  ~LoopbackServer();
  LoopbackServer(const LoopbackServer&) = delete;
  LoopbackServer& operator=(const LoopbackServer&) = delete;

  // Serves `body` at `path` (e.g. "/a") with the content type.
  // An empty type sends no Content-Type at all.
  void Page(const std::string& path, const std::string& body, const std::string& type = "text/html");
  // A page with this title and body text.
  void TitledPage(const std::string& path, const std::string& title, const std::string& extra = "");
  // A file offered for saving ("Content-Disposition: attachment"). A held one
  // sends its first 64 kB and then nothing more, as a slow server does.
  void Attachment(const std::string& path, const std::string& body, const std::string& fileName, bool held = false);
  // The page answers with this Set-Cookie header.
  void SetsCookie(const std::string& path, const std::string& setCookie);
  // The Cookie header of the last request for `path` ("" for none).
  std::string CookieSent(const std::string& path) const;
  std::string Url(const std::string& path) const;
  // The same pages from another loopback address (another site for cookies):
  // its address for `path`.
  std::string UrlOn(const std::string& loopbackIp, const std::string& path);
  int Requests(const std::string& path) const;
  int TotalRequests() const { return total_; }

 private:
  static void Handle(SoupServer*, SoupServerMessage*, const char* path, GHashTable*, gpointer p);
  void Listen(bool https);
  int ListenAt(GInetAddress* ip, SoupServerListenOptions options);
  struct Resource {
    std::string body, type, fileName;
    bool held = false;
    std::string setCookie;
  };
  SoupServer* server_ = nullptr;
  bool https_ = false;
  std::vector<SoupServerMessage*> held_;
  int port_ = 0;
  std::map<std::string, int> otherPorts_;
  std::map<std::string, Resource> pages_;
  std::map<std::string, int> requests_;
  std::map<std::string, std::string> cookies_;
  int total_ = 0;
};
