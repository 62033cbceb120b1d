#include "support/LoopbackServer.h"

#include <cstring>
#include <stdexcept>

LoopbackServer::LoopbackServer() : LoopbackServer(std::string()) {}

LoopbackServer::LoopbackServer(const std::string& tlsPemPath) {
  if (!tlsPemPath.empty()) {
    GError* error = nullptr;
    certificate_ = g_tls_certificate_new_from_file(tlsPemPath.c_str(), &error);
    if (!certificate_) {
      const std::string message = error ? error->message : "no certificate";
      g_clear_error(&error);
      throw std::runtime_error(message);
    }
  }
  server_ =
      certificate_ ? soup_server_new("tls-certificate", certificate_, nullptr) : soup_server_new(nullptr, nullptr);
  soup_server_add_handler(server_, nullptr, Handle, this, nullptr);
  GError* error = nullptr;
  GInetAddress* loopback = g_inet_address_new_loopback(G_SOCKET_FAMILY_IPV4);
  GSocketAddress* address = g_inet_socket_address_new(loopback, 0);
  g_object_unref(loopback);
  const auto options = static_cast<SoupServerListenOptions>(certificate_ ? SOUP_SERVER_LISTEN_HTTPS : 0);
  const gboolean ok = soup_server_listen(server_, address, options, &error);
  g_object_unref(address);
  if (!ok) {
    const std::string message = error ? error->message : "listen failed";
    g_clear_error(&error);
    throw std::runtime_error(message);
  }
  GSList* uris = soup_server_get_uris(server_);
  port_ = g_uri_get_port(static_cast<GUri*>(uris->data));
  g_slist_free_full(uris, reinterpret_cast<GDestroyNotify>(g_uri_unref));
}

LoopbackServer::~LoopbackServer() {
  soup_server_disconnect(server_);
  g_object_unref(server_);
  if (certificate_) g_object_unref(certificate_);
}

void LoopbackServer::Page(const std::string& path, const std::string& body, const std::string& type) {
  pages_[path] = {body, type};
}

void LoopbackServer::TitledPage(const std::string& path, const std::string& title, const std::string& extra) {
  Page(path, "<!DOCTYPE html><html><head><title>" + title + "</title></head><body><h1>" + title + "</h1>" + extra +
                 "</body></html>");
}

std::string LoopbackServer::Url(const std::string& path) const {
  return std::string(certificate_ ? "https" : "http") + "://127.0.0.1:" + std::to_string(port_) + path;
}

int LoopbackServer::Requests(const std::string& path) const {
  const auto it = requests_.find(path);
  return it == requests_.end() ? 0 : it->second;
}

void LoopbackServer::Handle(SoupServer*, SoupServerMessage* msg, const char* path, GHashTable*, gpointer p) {
  auto* self = static_cast<LoopbackServer*>(p);
  ++self->total_;
  ++self->requests_[path];
  const auto it = self->pages_.find(path);
  if (it == self->pages_.end()) {
    const char* body = "<!DOCTYPE html><html><head><title>Not Found</title></head><body>Not found</body></html>";
    soup_server_message_set_response(msg, "text/html", SOUP_MEMORY_STATIC, body, strlen(body));
    soup_server_message_set_status(msg, 404, nullptr);
    return;
  }
  soup_server_message_set_response(msg, it->second.type.c_str(), SOUP_MEMORY_COPY, it->second.body.data(),
                                   it->second.body.size());
  soup_server_message_set_status(msg, 200, nullptr);
}
