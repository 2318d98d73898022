#include "platform/RegistryContract.h"
#include "platform/win32/Win32Registry.h"

namespace kivo::testing {
namespace {
std::unique_ptr<platform::Registry> MakeWin32Registry() {
  return std::make_unique<platform::Win32Registry>();
}
}  // namespace
INSTANTIATE_TEST_SUITE_P(Win32, RegistryContract, ::testing::Values(&MakeWin32Registry),
                         [](const auto&) { return std::string("Win32"); });
}  // namespace kivo::testing
