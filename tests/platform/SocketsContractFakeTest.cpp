#include "platform/SocketsContract.h"
#include "platform/fake/FakeSockets.h"

namespace kivo::testing {
namespace {
std::unique_ptr<platform::Sockets> MakeFakeSockets() {
  return std::make_unique<platform::FakeSockets>();
}
}  // namespace
INSTANTIATE_TEST_SUITE_P(Fake, SocketsContract, ::testing::Values(&MakeFakeSockets),
                         [](const auto&) { return std::string("InMemory"); });
}  // namespace kivo::testing
