#include "platform/win32/Win32EventReporter.h"
#include "platform/win32/Win32ServiceManager.h"
#include "service/ServiceManagerContract.h"

namespace kivo::testing {
namespace {
std::unique_ptr<platform::ServiceManager> MakeWin32ServiceManager() {
  return std::make_unique<platform::Win32ServiceManager>();
}
std::unique_ptr<platform::EventReporter> MakeWin32EventReporter() {
  return std::make_unique<platform::Win32EventReporter>();
}
}  // namespace
INSTANTIATE_TEST_SUITE_P(Win32, ServiceManagerContract,
                         ::testing::Values(ServicePlatformFactory{"Win32", &MakeWin32ServiceManager,
                                                                  &MakeWin32EventReporter}),
                         [](const auto& info) { return std::string(info.param.name); });
}  // namespace kivo::testing
