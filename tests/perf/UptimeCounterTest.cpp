#include "perf/UptimeCounter.h"

#include <gtest/gtest.h>

#include "platform/fake/FakePerfData.h"

namespace kivo::testing {

using perf::UptimeCounter;
using platform::FakePerfData;

// One counter for every row: each reading is a fresh sample.
TEST(UptimeCounter, TicksAreHundredthsLessOneMinuteNeverBelowZeroWrappingIn32Bits) {
  struct Case {
    std::int64_t seconds;
    std::int32_t ticks;
  };
  const Case cases[] = {
      {3600, 354000},
      {30, 0},  // the first minute
      {0, 0},
      {59, 0},
      {60, 0},
      {21474896, 2147483600},
      {21474897, -2147483596},                   // 2147483700 wrapped
      {(std::int64_t{1} << 32) + 3600, 354000},  // only the low 32 bits count
  };
  FakePerfData pdh;
  {
    UptimeCounter counter(pdh);
    for (const Case& c : cases) {
      pdh.set_uptime_seconds(c.seconds);
      EXPECT_EQ(c.ticks, counter.GetUptimeTicks()) << c.seconds;
    }
    EXPECT_EQ(1, pdh.open_queries());
  }
  EXPECT_EQ(0, pdh.open_queries());
}

TEST(UptimeCounter, FailuresShowAsNegativeCodes) {
  struct Case {
    const char* what;
    void (*arrange)(FakePerfData&);
    std::int32_t ticks;
  };
  const Case cases[] = {
      {"query not opened", [](FakePerfData& p) { p.set_open_status(platform::kPdhInvalidData); },
       -105900},
      {"formatted value fails",
       [](FakePerfData& p) { p.set_formatted_status(platform::kPdhInvalidData); }, -105800},
      {"formatted value has a bad CStatus",
       [](FakePerfData& p) { p.set_formatted_cstatus(platform::kPdhCounterNotFound); }, -105800},
      {"raw value fails", [](FakePerfData& p) { p.set_raw_status(platform::kPdhInvalidData); },
       -105700},
  };
  for (const Case& c : cases) {
    FakePerfData pdh;
    pdh.set_uptime_seconds(500);
    c.arrange(pdh);
    UptimeCounter counter(pdh);
    EXPECT_EQ(c.ticks, counter.GetUptimeTicks()) << c.what;
    EXPECT_EQ(c.ticks, counter.GetUptimeTicks()) << c.what;
  }
}

}  // namespace kivo::testing
