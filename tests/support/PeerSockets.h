#pragma once

// The system's socket calls for the test peers, under Winsock's names in
// both builds (Winsock 1.1 under Wine, BSD sockets natively).

#ifdef _WIN32
#include <windows.h>
#include <winsock.h>
using SocketLength = int;
#else
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/select.h>
#include <sys/socket.h>
#include <unistd.h>
using SOCKET = int;
using SocketLength = socklen_t;
constexpr SOCKET INVALID_SOCKET = -1;
inline int closesocket(SOCKET s) {
  return close(s);
}
#endif
