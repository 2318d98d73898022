#include "platform/SocketsContract.h"
#include "support/SystemSockets.h"

namespace kivo::testing {

std::unique_ptr<platform::Sockets> MakeSystemSockets() {
  return std::make_unique<SystemSockets>();
}

INSTANTIATE_TEST_SUITE_P(System, SocketsContract, ::testing::Values(&MakeSystemSockets),
                         [](const auto&) { return std::string(kSystemSocketsName); });
INSTANTIATE_TEST_SUITE_P(System, SocketsLoopback, ::testing::Values(&MakeSystemSockets),
                         [](const auto&) { return std::string(kSystemSocketsName); });

}  // namespace kivo::testing
