#include "platform/win32/WinsockStartup.h"

#include <winsock.h>

namespace kivo::platform {

void StartWinsock11() {
  WSADATA data;
  WSAStartup(MAKEWORD(1, 1), &data);
}

}  // namespace kivo::platform
