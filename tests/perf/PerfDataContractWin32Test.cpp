#include "perf/PerfDataContract.h"
#include "perf/UptimeCounter.h"
#include "platform/win32/Win32PerfData.h"

namespace kivo::testing {
namespace {
std::unique_ptr<platform::PerfData> MakeWin32() {
  return std::make_unique<platform::Win32PerfData>();
}
}  // namespace
INSTANTIATE_TEST_SUITE_P(Win32, PerfDataContract, ::testing::Values(&MakeWin32),
                         [](const auto&) { return std::string("Win32"); });

TEST(Win32UptimeCounter, TicksComeInWholeSecondsFromTheSystem) {
  platform::Win32PerfData pdh;
  perf::UptimeCounter counter(pdh);
  const std::int32_t ticks = counter.GetUptimeTicks();
  EXPECT_GE(ticks, -6000);
  EXPECT_EQ(0, (ticks + 6000) % 100);
}
}  // namespace kivo::testing
