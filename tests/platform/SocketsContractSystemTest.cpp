#include "platform/SocketsContract.h"

#ifdef _WIN32
#include "platform/win32/Win32Sockets.h"
#else
#include "platform/posix/PosixSockets.h"
#endif

namespace kivo::testing {

std::unique_ptr<platform::Sockets> MakeSystemSockets() {
#ifdef _WIN32
  return std::make_unique<platform::Win32Sockets>();
#else
  return std::make_unique<platform::PosixSockets>();
#endif
}

#ifdef _WIN32
constexpr char kSystemName[] = "Winsock";
#else
constexpr char kSystemName[] = "Bsd";
#endif

INSTANTIATE_TEST_SUITE_P(System, SocketsContract, ::testing::Values(&MakeSystemSockets),
                         [](const auto&) { return std::string(kSystemName); });
INSTANTIATE_TEST_SUITE_P(System, SocketsLoopback, ::testing::Values(&MakeSystemSockets),
                         [](const auto&) { return std::string(kSystemName); });

}  // namespace kivo::testing
