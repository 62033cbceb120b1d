#include "support/LoopbackServer.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

LoopbackServer::LoopbackServer() {
  server_ = soup_server_new(nullptr, nullptr);
  Listen(false);
}

LoopbackServer::LoopbackServer(const std::string& certificatePem) {
  GError* error = nullptr;
  GTlsCertificate* certificate = g_tls_certificate_new_from_file(certificatePem.c_str(), &error);
  if (!certificate) {
    const std::string message = error ? error->message : "no certificate";
    g_clear_error(&error);
    throw std::runtime_error(message);
  }
  server_ = soup_server_new("tls-certificate", certificate, nullptr);
  g_object_unref(certificate);
  Listen(true);
}

void LoopbackServer::Listen(bool https) {
  https_ = https;
  soup_server_add_handler(server_, nullptr, Handle, this, nullptr);
  GInetAddress* loopback = g_inet_address_new_loopback(G_SOCKET_FAMILY_IPV4);
  port_ = ListenAt(loopback, https ? SOUP_SERVER_LISTEN_HTTPS : static_cast<SoupServerListenOptions>(0));
  g_object_unref(loopback);
}

// Listens on a free port of `ip` and answers that port.
int LoopbackServer::ListenAt(GInetAddress* ip, SoupServerListenOptions options) {
  GError* error = nullptr;
  GSocketAddress* address = g_inet_socket_address_new(ip, 0);
  const gboolean ok = soup_server_listen(server_, address, options, &error);
  g_object_unref(address);
  if (!ok) {
    const std::string message = error ? error->message : "listen failed";
    g_clear_error(&error);
    throw std::runtime_error(message);
  }
  gchar* host = g_inet_address_to_string(ip);
  int port = 0;
  GSList* uris = soup_server_get_uris(server_);
  for (GSList* u = uris; u; u = u->next)
    if (g_strcmp0(host, g_uri_get_host(static_cast<GUri*>(u->data))) == 0)
      port = g_uri_get_port(static_cast<GUri*>(u->data));
  g_slist_free_full(uris, reinterpret_cast<GDestroyNotify>(g_uri_unref));
  g_free(host);
  return port;
}

LoopbackServer::~LoopbackServer() {
  for (SoupServerMessage* msg : held_) {
    soup_message_body_complete(soup_server_message_get_response_body(msg));
    soup_server_message_unpause(msg);
    g_object_unref(msg);
  }
  soup_server_disconnect(server_);
  g_object_unref(server_);
}

void LoopbackServer::Page(const std::string& path, const std::string& body, const std::string& type) {
  pages_[path] = {body, type, "", false, ""};
}

void LoopbackServer::TitledPage(const std::string& path, const std::string& title, const std::string& extra) {
  Page(path, "<!DOCTYPE html><html><head><title>" + title + "</title></head><body><h1>" + title + "</h1>" + extra +
                 "</body></html>");
}

void LoopbackServer::Attachment(const std::string& path, const std::string& body, const std::string& fileName,
                                bool held) {
  pages_[path] = {body, "application/octet-stream", fileName, held, ""};
}

std::string LoopbackServer::Url(const std::string& path) const {
  return std::string(https_ ? "https" : "http") + "://127.0.0.1:" + std::to_string(port_) + path;
}

void LoopbackServer::SetsCookie(const std::string& path, const std::string& setCookie) {
  pages_[path].setCookie = setCookie;
}

std::string LoopbackServer::CookieSent(const std::string& path) const {
  const auto it = cookies_.find(path);
  return it == cookies_.end() ? "" : it->second;
}

std::string LoopbackServer::UrlOn(const std::string& loopbackIp, const std::string& path) {
  int& port = otherPorts_[loopbackIp];
  if (port == 0) {
    GInetAddress* ip = g_inet_address_new_from_string(loopbackIp.c_str());
    if (!ip || !g_inet_address_get_is_loopback(ip)) throw std::runtime_error("not a loopback address: " + loopbackIp);
    port = ListenAt(ip, static_cast<SoupServerListenOptions>(0));
    g_object_unref(ip);
  }
  return "http://" + loopbackIp + ":" + std::to_string(port) + path;
}

int LoopbackServer::Requests(const std::string& path) const {
  const auto it = requests_.find(path);
  return it == requests_.end() ? 0 : it->second;
}

void LoopbackServer::Handle(SoupServer*, SoupServerMessage* msg, const char* path, GHashTable*, gpointer p) {
  auto* self = static_cast<LoopbackServer*>(p);
  ++self->total_;
  ++self->requests_[path];
  const char* cookie = soup_message_headers_get_one(soup_server_message_get_request_headers(msg), "Cookie");
  self->cookies_[path] = cookie ? cookie : "";
  const auto it = self->pages_.find(path);
  if (it == self->pages_.end()) {
    const char* body = "<!DOCTYPE html><html><head><title>Not Found</title></head><body>Not found</body></html>";
    soup_server_message_set_response(msg, "text/html", SOUP_MEMORY_STATIC, body, strlen(body));
    soup_server_message_set_status(msg, 404, nullptr);
    return;
  }
  const Resource& r = it->second;
  SoupMessageHeaders* headers = soup_server_message_get_response_headers(msg);
  if (!r.setCookie.empty()) soup_message_headers_append(headers, "Set-Cookie", r.setCookie.c_str());
  if (!r.fileName.empty())
    soup_message_headers_append(headers, "Content-Disposition",
                                ("attachment; filename=\"" + r.fileName + "\"").c_str());
  soup_server_message_set_status(msg, 200, nullptr);
  if (!r.held) {
    soup_server_message_set_response(msg, r.type.empty() ? nullptr : r.type.c_str(), SOUP_MEMORY_COPY, r.body.data(),
                                     r.body.size());
    return;
  }
  // The length is told, a first part sent, and the rest never comes.
  soup_message_headers_set_content_type(headers, r.type.c_str(), nullptr);
  soup_message_headers_set_content_length(headers, static_cast<goffset>(r.body.size()));
  soup_message_body_append(soup_server_message_get_response_body(msg), SOUP_MEMORY_COPY, r.body.data(),
                           std::min<std::size_t>(r.body.size(), 64 * 1024));
  self->held_.push_back(SOUP_SERVER_MESSAGE(g_object_ref(msg)));
}
