#include "perf/PerfDataContract.h"

namespace kivo::testing {

using platform::kPdhSuccess;

TEST_P(PerfDataContract, UptimeCounterGivesWholeSecondsInBothForms) {
  auto pdh = GetParam()();
  platform::PerfData::QueryHandle query = 0;
  ASSERT_EQ(kPdhSuccess, pdh->OpenQuery(1, &query));
  platform::PerfData::CounterHandle counter = 0;
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

TEST_P(PerfDataContract, UnknownCounterCannotBeAdded) {
  auto pdh = GetParam()();
  platform::PerfData::QueryHandle query = 0;
  ASSERT_EQ(kPdhSuccess, pdh->OpenQuery(1, &query));
  platform::PerfData::CounterHandle counter = 0;
  EXPECT_NE(kPdhSuccess, pdh->AddCounter(query, "\\System\\No Such Counter", 0, &counter));
  EXPECT_EQ(kPdhSuccess, pdh->CloseQuery(query));
}

}  // namespace kivo::testing
