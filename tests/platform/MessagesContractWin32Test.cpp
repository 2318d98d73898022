#include <cstdlib>

#include "platform/MessagesContract.h"
#include "platform/win32/Win32Messages.h"

namespace kivo::testing {
namespace {
std::unique_ptr<platform::Messages> MakeWin32Messages() {
  static const std::string assignment = std::string(kModuleDirVariable) + "=" + ModuleDir();
  _putenv(assignment.c_str());
  return std::make_unique<platform::Win32Messages>();
}
}  // namespace
INSTANTIATE_TEST_SUITE_P(Win32, MessagesContract, ::testing::Values(&MakeWin32Messages),
                         [](const auto&) { return std::string("Win32"); });
}  // namespace kivo::testing
