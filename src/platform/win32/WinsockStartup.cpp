#include "platform/win32/WinsockStartup.h"

#include "platform/win32/Win32Sockets.h"

namespace kivo::platform {

void StartWinsock11() { Win32Sockets().Startup(); }

}  // namespace kivo::platform
