#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>

#include "config/RegistryConfig.h"
#include "eventlog/EventLogReader.h"
#include "eventlog/ReaderFixture.h"
#include "evtfile/EvtLogFixture.h"
#include "platform/fake/FakePause.h"

namespace kivo::testing {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;

// The reader on live .evt files, written meanwhile by a writer of their own.
class ReaderOnEvtFilesTest : public EvtLogFixture {
 protected:
  void SetUp() override {
    for (const char* log : {"Application", "Security", "System"}) {
      Register(log);
      ASSERT_TRUE(Writer(log).Create(0x10000));
    }
    config::RegistryConfig config(registry_, nullptr);
    config.SetLogging(0);
  }
  void Write(const std::string& log, const std::string& text, std::size_t data_size = 0) {
    Append(Event(text, data_size), false, log);
  }
  std::unique_ptr<eventlog::EventLogReader> MakeReader() {
    return std::make_unique<eventlog::EventLogReader>(event_log_, messages_, pause_, registry_);
  }

  platform::FakePause pause_;
  platform::EvtFileEventLog event_log_{registry_, messages_};
};

TEST_F(ReaderOnEvtFilesTest, ReadsOnlyNewRecordsApplicationFirst) {
  Write("Application", "before start");
  Write("System", "before start");
  auto reader = MakeReader();
  EXPECT_THAT(FetchAll(*reader), ElementsAre());
  Write("System", "sys 1");
  Write("Security", "sec 1");
  Write("Application", "app 1");
  Write("System", "sys 2");
  Write("Application", "app 2");
  EXPECT_THAT(FetchAll(*reader), ElementsAre("app 1", "app 2", "sec 1", "sys 1", "sys 2"));
}

TEST_F(ReaderOnEvtFilesTest, SkipsARecordOf8196BytesOrMore) {
  auto reader = MakeReader();
  Write("Application", "big", 8200);
  Write("Application", "small");
  EXPECT_FALSE(reader->FetchNext());  // the fetch that skips it
  EXPECT_THAT(FetchAll(*reader), ElementsAre("small"));
}

TEST_F(ReaderOnEvtFilesTest, PicksUpAClearedLogAtItsNewEnd) {
  auto reader = MakeReader();
  Write("Application", "one");
  EXPECT_THAT(FetchAll(*reader), ElementsAre("one"));
  ASSERT_TRUE(Writer("Application").Clear());
  Write("Application", "between clear and read");
  EXPECT_THAT(FetchAll(*reader), ElementsAre());
  Write("Application", "after");
  EXPECT_THAT(FetchAll(*reader), ElementsAre("after"));
}

TEST_F(ReaderOnEvtFilesTest, GoesOnWithTheOldestRecordAfterAWrapPastItsPosition) {
  ASSERT_TRUE(Writer("Application").Create(0x1000));
  auto reader = MakeReader();
  Write("Application", "first");
  EXPECT_THAT(FetchAll(*reader), ElementsAre("first"));
  for (int i = 0; i < 200; ++i) Write("Application", "w" + std::to_string(i));
  config::RegistryConfig config(registry_, nullptr);
  config.SetLogging(1);
  const auto seen = FetchAll(*reader);
  ASSERT_FALSE(seen.empty());
  EXPECT_EQ("w199", seen.back());
  EXPECT_LT(seen.size(), 200u);
  const auto lines = ReadLines(config::TraceFile::kFileName);
  EXPECT_THAT(lines, Contains(::testing::HasSubstr("were overwritten before they were read")));
}

TEST_F(ReaderOnEvtFilesTest, SeesRecordsThatAnotherProcessAppends) {
  auto reader = MakeReader();
  const std::string command = std::string(KIVO_EVTUTIL) + " append " +
                              (dir_.path() / "System.evt").string() +
                              " --source KivoTest --id 7 --string from-evtutil --repeat 2";
  ASSERT_EQ(0, std::system(command.c_str())) << command;
  EXPECT_THAT(FetchAll(*reader), ElementsAre("from-evtutil", "from-evtutil"));
  EXPECT_EQ(7, reader->GetEventId());
}

TEST_F(ReaderOnEvtFilesTest, LogWithoutAFileIsReportedEvenWithLoggingOff) {
  std::unique_ptr<platform::RegistryKey> key;
  registry_.Open(std::string(platform::EvtFileEventLog::kEventLogKey) + "\\Security", &key);
  key->SetValue("File", platform::RegType::kExpandText, "%KivoLogDir%/missing.evt", 25);
  auto reader = MakeReader();
  EXPECT_THAT(ReadLines(config::TraceFile::kFileName),
              ElementsAre("Could not open Event Log for Security", "Error is 2"));
  Write("System", "still read");
  EXPECT_THAT(FetchAll(*reader), ElementsAre("still read"));
}

}  // namespace
}  // namespace kivo::testing
