#include <gtest/gtest.h>

#include "eventlog/ReaderFixture.h"

namespace kivo::testing {
namespace {

using eventlog::EventLogReader;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::IsEmpty;

class EventLogReaderTest : public ReaderFixture {
 protected:
  std::uint32_t Write(const char* log, const std::string& text) {
    TestEvent event;
    event.strings = {text};
    return log_.Append(log, AnsiRecord(event));
  }
};

TEST_F(EventLogReaderTest, EveryFetchPausesAndServesApplicationBeforeSecurityBeforeSystem) {
  SetLogging(0);
  auto reader = MakeReader();
  Write("System", "sys");
  Write("Security", "sec");
  Write("Application", "app1");
  Write("Application", "app2");
  EXPECT_THAT(FetchAll(*reader), ElementsAre("app1", "app2", "sec", "sys"));
  EXPECT_EQ(5, pause_.waits());
  EXPECT_EQ(5u * 500, pause_.total_milliseconds());
}

TEST_F(EventLogReaderTest, MissingLoggingIsWrittenAsZeroAndTracesNothing) {
  auto reader = MakeReader();
  Write("Application", "x");
  EXPECT_TRUE(reader->FetchNext());
  config::RegistryConfig config(registry_, nullptr);
  EXPECT_EQ(0, config.GetLogging());
  EXPECT_THAT(Trace(), IsEmpty());
}

TEST_F(EventLogReaderTest, FetchWithNothingNewTracesThreeProbes) {
  Write("Security", "old");
  SetLogging(1);
  auto reader = MakeReader();
  EXPECT_FALSE(reader->FetchNext());
  EXPECT_THAT(
      Trace(),
      ElementsAre("eventlog Application is initialized", "reading event log Application",
                  "tried to read size, looks like it is empty", "ReadEvent(0) was unsuccessful ",
                  "eventlog Security is initialized", "reading event log Security",
                  "tried to read size, but there are no new events to read",
                  "ReadEvent(1) was unsuccessful ", "eventlog System is initialized",
                  "reading event log System", "tried to read size, looks like it is empty",
                  "ReadEvent(2) was unsuccessful "));
}

TEST_F(EventLogReaderTest, SuccessfulReadTracesSizeBytesAndTheDecode) {
  SetLogging(1);
  auto reader = MakeReader();
  TestEvent event;
  event.strings = {"disk", "full"};
  const auto record = AnsiRecord(event);
  log_.Append("Application", record);
  ASSERT_TRUE(reader->FetchNext());
  const std::string size = std::to_string(record.size());
  EXPECT_THAT(
      Trace(),
      ElementsAre("eventlog Application is initialized", "reading event log Application",
                  "tried to read size, status is <0> and error is <122>",
                  "read size success: size is " + size, "Read <" + size + "> bytes",
                  "eventID  <1000>", "raw eventID  <1000>", "eventType  <3>", "eventCategory <0>",
                  "eventSource  <KivoTest>", "No event message file for KivoTest",
                  "string 1 <disk>", "string 2 <full>", "computerName  <KIVOHOST>",
                  "sid not specified", "ReadEvent(0) was successful "));
  EXPECT_STREQ("diskfull", reader->GetDescription());
}

TEST_F(EventLogReaderTest, RecordOf8196BytesOrMoreIsSkippedAndOneBelowIsRead) {
  SetLogging(1);
  auto reader = MakeReader();
  TestEvent big;
  big.data.assign(8196, 0xAB);
  log_.Append("Application", AnsiRecord(big));
  TestEvent below;
  below.data.assign(8000, 1);
  auto record = AnsiRecord(below);
  record.resize(8192);  // padding inside the record
  record[0] = 0x00, record[1] = 0x20;
  log_.Append("Application", record);
  EXPECT_FALSE(reader->FetchNext());
  EXPECT_THAT(Trace(), ::testing::Contains("size is too big, skipping"));
  EXPECT_TRUE(reader->FetchNext());
}

TEST_F(EventLogReaderTest, ClearedLogIsReopenedAtItsNewEnd) {
  SetLogging(1);
  auto reader = MakeReader();
  Write("Application", "one");
  ASSERT_TRUE(reader->FetchNext());
  log_.Clear("Application");
  Write("Application", "lost");  // written between the clear and the next read
  ClearTrace();
  EXPECT_FALSE(reader->FetchNext());
  EXPECT_THAT(Trace(),
              ::testing::Contains("tried to read size, status is <0> and error is <1503>"));
  EXPECT_TRUE(reader->IsInitialised(0));
  EXPECT_EQ(2u, reader->NextRecord(0));
  Write("Application", "two");
  ASSERT_TRUE(reader->FetchNext());
  EXPECT_STREQ("two", reader->GetDescription());
  EXPECT_EQ(3, log_.open_handles());
}

TEST_F(EventLogReaderTest, FailedReopenLeavesTheLogUnreadAndTracesWhy) {
  SetLogging(1);
  auto reader = MakeReader();
  log_.FailNextRead("System", platform::kErrorEventLogFileCorrupt);
  log_.FailOpen("System", 5);
  ClearTrace();
  EXPECT_FALSE(reader->FetchNext());
  EXPECT_THAT(
      Trace(),
      ElementsAreArray(std::vector<std::string>{
          "eventlog Application is initialized", "reading event log Application",
          "tried to read size, looks like it is empty", "ReadEvent(0) was unsuccessful ",
          "eventlog Security is initialized", "reading event log Security",
          "tried to read size, looks like it is empty", "ReadEvent(1) was unsuccessful ",
          "eventlog System is initialized", "reading event log System",
          "tried to read size, status is <0> and error is <1500>",
          "failed to reopen log System with error 5", "Could not re-get log count for System",
          "Error is 6", "ReadEvent(2) was unsuccessful "}));
  EXPECT_FALSE(reader->IsInitialised(2));
  ClearTrace();
  reader->FetchNext();
  EXPECT_THAT(Trace(), ::testing::Contains("eventlog System is NOT initialized"));
}

TEST_F(EventLogReaderTest, OtherReadErrorsRetryTheSameRecord) {
  SetLogging(0);
  auto reader = MakeReader();
  Write("Application", "kept");
  log_.FailNextRead("Application", 5);
  EXPECT_FALSE(reader->FetchNext());
  ASSERT_TRUE(reader->FetchNext());
  EXPECT_STREQ("kept", reader->GetDescription());
}

TEST_F(EventLogReaderTest, LogWrappedPastThePositionGoesOnWithTheOldestRecord) {
  SetLogging(1);
  auto reader = MakeReader();
  for (int i = 1; i <= 5; ++i) Write("Application", "r" + std::to_string(i));
  log_.DropOldest("Application", 3);  // records 1 to 3 overwritten unread
  ClearTrace();
  ASSERT_TRUE(reader->FetchNext());
  EXPECT_STREQ("r4", reader->GetDescription());
  EXPECT_THAT(Trace(),
              ::testing::Contains("records 1 to 3 of Application were overwritten before they were "
                                  "read, going on with record 4"));
  ASSERT_TRUE(reader->FetchNext());
  EXPECT_STREQ("r5", reader->GetDescription());
}

TEST_F(EventLogReaderTest, LogThatCannotBeOpenedIsReportedWhateverLoggingSays) {
  SetLogging(0);
  log_.FailOpen("Security", 1722);
  log_.FailCount("System", 1500);
  auto reader = MakeReader();
  EXPECT_THAT(Trace(), ElementsAre("Could not open Event Log for Security", "Error is 1722",
                                   "Could not get log count for 3", "Error is 1500"));
  EXPECT_TRUE(reader->IsInitialised(0));
  EXPECT_FALSE(reader->IsInitialised(1));
  EXPECT_FALSE(reader->IsInitialised(2));
}

TEST_F(EventLogReaderTest, DestructionClosesEveryLog) {
  auto reader = MakeReader();
  EXPECT_EQ(3, log_.open_handles());
  reader.reset();
  EXPECT_EQ(0, log_.open_handles());
}

}  // namespace
}  // namespace kivo::testing
