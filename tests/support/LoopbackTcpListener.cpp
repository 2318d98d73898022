#include "support/LoopbackTcpListener.h"

#include "support/PeerSockets.h"

#include <cstring>

namespace kivo::testing {
namespace {

SOCKET Handle(std::uintptr_t s) {
  return static_cast<SOCKET>(s);
}

constexpr std::uintptr_t kNone = static_cast<std::uintptr_t>(INVALID_SOCKET);

bool Readable(std::uintptr_t s, int timeout_ms) {
  fd_set readable;
  FD_ZERO(&readable);
  FD_SET(Handle(s), &readable);
  timeval timeout{timeout_ms / 1000, (timeout_ms % 1000) * 1000};
  return select(static_cast<int>(Handle(s)) + 1, &readable, nullptr, nullptr, &timeout) > 0;
}

void CloseIfOpen(std::uintptr_t* s) {
  if (*s != kNone) closesocket(Handle(*s));
  *s = kNone;
}

}  // namespace

LoopbackTcpListener::LoopbackTcpListener() : listener_(kNone), connection_(kNone) {
#ifdef _WIN32
  WSADATA data;
  WSAStartup(MAKEWORD(1, 1), &data);
#endif
  listener_ = static_cast<std::uintptr_t>(socket(AF_INET, SOCK_STREAM, 0));
  if (listener_ == kNone) return;
  sockaddr_in local;
  std::memset(&local, 0, sizeof(local));
  local.sin_family = AF_INET;
  local.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  SocketLength size = sizeof(local);
  if (bind(Handle(listener_), reinterpret_cast<sockaddr*>(&local), sizeof(local)) != 0 ||
      listen(Handle(listener_), 4) != 0 ||
      getsockname(Handle(listener_), reinterpret_cast<sockaddr*>(&local), &size) != 0) {
    return;
  }
  port_ = ntohs(local.sin_port);
}

LoopbackTcpListener::~LoopbackTcpListener() {
  CloseConnection();
  StopListening();
#ifdef _WIN32
  WSACleanup();
#endif
}

bool LoopbackTcpListener::Accept(int timeout_ms) {
  if (listener_ == kNone || !Readable(listener_, timeout_ms)) return false;
  CloseConnection();
  connection_ = static_cast<std::uintptr_t>(accept(Handle(listener_), nullptr, nullptr));
  return connection_ != kNone;
}

std::string LoopbackTcpListener::Receive(std::size_t size, int timeout_ms) {
  std::string received;
  char buffer[65536];
  while (connection_ != kNone && received.size() < size && Readable(connection_, timeout_ms)) {
    const auto got = recv(Handle(connection_), buffer, sizeof(buffer), 0);
    if (got <= 0) break;
    received.append(buffer, static_cast<std::size_t>(got));
  }
  return received;
}

void LoopbackTcpListener::CloseConnection() {
  CloseIfOpen(&connection_);
}

void LoopbackTcpListener::StopListening() {
  CloseIfOpen(&listener_);
}

}  // namespace kivo::testing
