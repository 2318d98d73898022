// What the uptime counter relies on from pdh.dll; run against the fake and,
// under Wine, against the real one.

#include <gtest/gtest.h>

#include <memory>

#include "perf/UptimeCounter.h"
#include "platform/PerfData.h"
#include "platform/fake/FakePerfData.h"
#ifdef _WIN32
#include "platform/win32/Win32PerfData.h"
#endif

namespace kivo::testing {
namespace {

using PerfDataFactory = std::unique_ptr<platform::PerfData> (*)();
class PerfDataContract : public ::testing::TestWithParam<PerfDataFactory> {};

using platform::kPdhSuccess;

TEST_P(PerfDataContract, UptimeCounterGivesValuesInBothFormsAndUnknownCountersAreRefused) {
  auto pdh = GetParam()();
  platform::PerfData::QueryHandle query = 0;
  ASSERT_EQ(kPdhSuccess, pdh->OpenQuery(1, &query));
  platform::PerfData::CounterHandle counter = 0;
  EXPECT_NE(kPdhSuccess, pdh->AddCounter(query, "\\System\\No Such Counter", 0, &counter));
  ASSERT_EQ(kPdhSuccess, pdh->AddCounter(query, "\\System\\System Up Time", 42, &counter));

  EXPECT_EQ(kPdhSuccess, pdh->CollectQueryData(query));
  platform::PerfLargeValue value;
  ASSERT_EQ(kPdhSuccess, pdh->GetLargeValue(counter, &value));
  EXPECT_EQ(0u, value.status);
  EXPECT_GE(value.value, 0);
  platform::PerfRawSample raw;
  EXPECT_EQ(kPdhSuccess, pdh->GetRawValue(counter, &raw));
  EXPECT_EQ(kPdhSuccess, pdh->CloseQuery(query));
}

std::unique_ptr<platform::PerfData> MakeFake() {
  return std::make_unique<platform::FakePerfData>();
}
INSTANTIATE_TEST_SUITE_P(Fake, PerfDataContract, ::testing::Values(&MakeFake),
                         [](const auto&) { return std::string("InMemory"); });

#ifdef _WIN32
std::unique_ptr<platform::PerfData> MakeWin32() {
  return std::make_unique<platform::Win32PerfData>();
}
INSTANTIATE_TEST_SUITE_P(Win32, PerfDataContract, ::testing::Values(&MakeWin32),
                         [](const auto&) { return std::string("Win32"); });

TEST(Win32UptimeCounter, TicksComeInWholeSecondsFromTheSystem) {
  platform::Win32PerfData pdh;
  perf::UptimeCounter counter(pdh);
  const std::int32_t ticks = counter.GetUptimeTicks();
  EXPECT_GE(ticks, -6000);
  EXPECT_EQ(0, (ticks + 6000) % 100);
}
#endif

}  // namespace
}  // namespace kivo::testing
