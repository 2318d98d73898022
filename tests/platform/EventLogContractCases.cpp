#include <vector>

#include "platform/EventLogContract.h"

namespace kivo::testing {
namespace {

constexpr std::uint32_t kSeekForwards =
    platform::kEventLogSeekRead | platform::kEventLogForwardsRead;

TEST_P(EventLogContract, EmptyLogHasNoRecordsAndReadsFailWithEof) {
  const platform::EventLogHandle handle = log().Open("Application");
  ASSERT_NE(platform::kNoEventLog, handle);
  std::uint32_t count = 99, oldest = 99;
  EXPECT_TRUE(log().CountRecords(handle, &count));
  EXPECT_EQ(0u, count);
  EXPECT_TRUE(log().OldestRecord(handle, &oldest));
  EXPECT_EQ(0u, oldest);
  unsigned char buffer[64];
  std::uint32_t read = 99, needed = 99;
  EXPECT_FALSE(log().Read(handle, kSeekForwards, 1, buffer, 0, &read, &needed));
  EXPECT_EQ(platform::kErrorHandleEof, log().LastError());
  EXPECT_EQ(0u, read);
  log().Close(handle);
}

TEST_P(EventLogContract, RecordsAreReadByNumberAfterASizeProbe) {
  if (!under_test_->CanWrite()) GTEST_SKIP() << "this event log holds no records";
  const platform::EventLogHandle handle = log().Open("Application");
  TestEvent event;
  event.strings = {"one"};
  under_test_->Append(event);
  event.strings = {"two", "second"};
  under_test_->Append(event);
  std::uint32_t count = 0, oldest = 0;
  ASSERT_TRUE(log().CountRecords(handle, &count));
  ASSERT_TRUE(log().OldestRecord(handle, &oldest));
  EXPECT_EQ(2u, count);
  EXPECT_EQ(1u, oldest);

  auto expected = AnsiRecord(event);
  expected[8] = 2;  // its record number
  std::vector<unsigned char> buffer(expected.size());
  std::uint32_t read = 0, needed = 0;
  EXPECT_FALSE(log().Read(handle, kSeekForwards, 2, buffer.data(), 0, &read, &needed));
  EXPECT_EQ(platform::kErrorInsufficientBuffer, log().LastError());
  EXPECT_EQ(expected.size(), needed);
  ASSERT_TRUE(log().Read(handle, kSeekForwards, 2, buffer.data(), needed, &read, &needed));
  EXPECT_EQ(expected.size(), read);
  EXPECT_EQ(expected, buffer);
  EXPECT_FALSE(log().Read(handle, kSeekForwards, 3, buffer.data(), 0, &read, &needed));
  EXPECT_EQ(platform::kErrorInvalidParameter, log().LastError());
  log().Close(handle);
}

TEST_P(EventLogContract, ClearedLogFailsReadsOfHandlesOpenedBefore) {
  if (!under_test_->CanWrite()) GTEST_SKIP() << "this event log holds no records";
  const platform::EventLogHandle before = log().Open("Application");
  under_test_->Append(TestEvent());
  std::uint32_t count = 0;
  ASSERT_TRUE(log().CountRecords(before, &count));
  under_test_->Clear();
  unsigned char buffer[8];
  std::uint32_t read = 0, needed = 0;
  EXPECT_FALSE(log().Read(before, kSeekForwards, 1, buffer, 0, &read, &needed));
  EXPECT_EQ(platform::kErrorEventLogFileChanged, log().LastError());
  const platform::EventLogHandle after = log().Open("Application");
  EXPECT_FALSE(log().Read(after, kSeekForwards, 1, buffer, 0, &read, &needed));
  EXPECT_EQ(platform::kErrorHandleEof, log().LastError());
  log().Close(before);
  log().Close(after);
}

}  // namespace
}  // namespace kivo::testing
