#include "platform/ServiceControlContract.h"
#include "platform/win32/Win32ServiceControl.h"

namespace kivo::testing {
namespace {
std::unique_ptr<platform::ServiceControl> MakeWin32ServiceControl() {
  return std::make_unique<platform::Win32ServiceControl>();
}
}  // namespace
INSTANTIATE_TEST_SUITE_P(Win32, ServiceControlContract, ::testing::Values(&MakeWin32ServiceControl),
                         [](const auto&) { return std::string("Win32"); });
}  // namespace kivo::testing
