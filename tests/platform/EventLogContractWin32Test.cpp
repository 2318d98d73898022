#include "platform/EventLogContract.h"
#include "platform/win32eventlog/Win32EventLog.h"

namespace kivo::testing {
namespace {
class Win32Log : public LogUnderTest {
 public:
  platform::EventLog& log() override { return log_; }

 private:
  platform::Win32EventLog log_;
};
std::unique_ptr<LogUnderTest> MakeWin32Log() {
  return std::make_unique<Win32Log>();
}
}  // namespace
INSTANTIATE_TEST_SUITE_P(Win32, EventLogContract, ::testing::Values(&MakeWin32Log),
                         [](const auto&) { return std::string("Win32"); });
}  // namespace kivo::testing
