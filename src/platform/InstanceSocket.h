// Socket details both ends of the instance channel share.
#pragma once

#include <sys/socket.h>
#include <sys/un.h>

#include <cstddef>
#include <string>

namespace instance_socket {

constexpr std::size_t kReadChunk = 1024;

// False when the path does not fit a Unix socket address.
bool FillAddress(const std::string& path, sockaddr_un& addr);
// The user id of the process at the other end of a connected socket.
bool PeerUid(int fd, uid_t& uid);

}  // namespace instance_socket
