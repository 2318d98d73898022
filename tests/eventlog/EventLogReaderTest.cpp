// The reader through the face the run loop uses. Its scenarios (order, skip,
// clear, wrap, and the traces of a fetch) run once over each log backend:
// the in-memory logs and the .evt files that kivo-evtfile.exe reads. Faults
// that only the in-memory logs can inject follow.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "config/RegistryConfig.h"
#include "eventlog/EventLogReader.h"
#include "eventlog/LogPositions.h"
#include "evtfile/EvtLogFixture.h"
#include "platform/fake/FakeEventLog.h"
#include "platform/fake/FakePause.h"

namespace kivo::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::EndsWith;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

// An event whose record is exactly `size` bytes (a multiple of four).
TestEvent Sized(const std::string& text, std::size_t size) {
  TestEvent event;
  event.strings = {text};
  event.data.assign(size - AnsiRecord(event).size(), 0x5A);
  return event;
}

// The event logs the reader reads, and a writer of their records.
class LogBackend {
 public:
  virtual ~LogBackend() = default;
  virtual platform::EventLog& event_log() = 0;
  virtual void Write(const std::string& log, const TestEvent& event) = 0;
  virtual void Clear(const std::string& log) = 0;
  // Writes `count` records ("w0", "w1", ...) into a log too small to hold
  // them all, so that the oldest are overwritten.
  virtual void WriteWrapping(const std::string& log, int count) = 0;
};

class InMemoryLogs : public LogBackend {
 public:
  InMemoryLogs() {
    for (const char* name : eventlog::kLogNames) logs.AddLog(name);
  }
  platform::EventLog& event_log() override { return logs; }
  void Write(const std::string& log, const TestEvent& event) override {
    logs.Append(log, AnsiRecord(event));
  }
  void Clear(const std::string& log) override { logs.Clear(log); }
  void WriteWrapping(const std::string& log, int count) override {
    for (int i = 0; i < count; ++i) Write(log, Sized("w" + std::to_string(i), 2048));
    logs.DropOldest(log, static_cast<std::uint32_t>(count) - 30);  // what a 64 KB log keeps
  }

  platform::FakeEventLog logs;
};

class EvtFiles : public LogBackend {
 public:
  EvtFiles(platform::Registry& registry, platform::FakeMessages& messages,
           const std::filesystem::path& dir)
      : dir_(dir), logs_(registry, messages) {
    for (const char* name : eventlog::kLogNames) {
      RegisterLogFile(registry, messages, name, dir.string(), std::string(name) + ".evt");
      EXPECT_TRUE(Writer(name).Create(0x10000));
    }
  }
  platform::EventLog& event_log() override { return logs_; }
  void Write(const std::string& log, const TestEvent& event) override {
    std::uint32_t number = 0;
    EXPECT_TRUE(Writer(log).Append(ToFields(event), &number));
  }
  void Clear(const std::string& log) override { EXPECT_TRUE(Writer(log).Clear()); }
  void WriteWrapping(const std::string& log, int count) override {
    for (int i = 0; i < count; ++i) Write(log, Sized("w" + std::to_string(i), 2048));
  }

 private:
  platform::evt::EvtFileWriter Writer(const std::string& log) {
    return platform::evt::EvtFileWriter((dir_ / (log + ".evt")).string());
  }
  std::filesystem::path dir_;
  platform::EvtFileEventLog logs_;
};

// A reader on a log backend, with in-memory messages, pause and registry, in
// a fresh current directory so that the trace file is the test's own.
class ReaderTest : public ::testing::Test {
 protected:
  void SetLogging(int value) { config::RegistryConfig(registry_, nullptr).SetLogging(value); }
  void MakeReader() {
    reader_ = std::make_unique<eventlog::EventLogReader>(logs_->event_log(), messages_, pause_,
                                                         registry_);
  }
  void Write(const std::string& log, const std::string& text) {
    TestEvent event;
    event.strings = {text};
    logs_->Write(log, event);
  }
  // The descriptions of every record fetched until none is left.
  std::vector<std::string> FetchAll() {
    std::vector<std::string> seen;
    while (reader_->FetchNext()) seen.push_back(reader_->GetDescription());
    return seen;
  }
  // The trace file, with its line ends as LF.
  std::string Trace() {
    std::string text;
    for (const std::string& line : ReadLines(config::TraceFile::kFileName)) text += line + "\n";
    return text;
  }
  void ClearTrace() { std::remove(config::TraceFile::kFileName); }

  ScopedTempDir dir_;
  platform::FakeRegistry registry_;
  platform::FakeMessages messages_;
  platform::FakePause pause_;
  std::unique_ptr<LogBackend> logs_;
  std::unique_ptr<eventlog::EventLogReader> reader_;
};

using BackendFactory = std::unique_ptr<LogBackend> (*)(platform::Registry&, platform::FakeMessages&,
                                                       const std::filesystem::path&);

class ReaderScenarios : public ReaderTest, public ::testing::WithParamInterface<BackendFactory> {
 protected:
  void SetUp() override { logs_ = GetParam()(registry_, messages_, dir_.path()); }
};

TEST_P(ReaderScenarios, ReadsOnlyNewRecordsApplicationFirstAfterAPauseEachFetch) {
  Write("Application", "before start");
  Write("System", "before start");
  MakeReader();
  EXPECT_THAT(FetchAll(), IsEmpty());
  Write("System", "sys 1");
  Write("Security", "sec 1");
  Write("Application", "app 1");
  Write("System", "sys 2");
  Write("Application", "app 2");
  EXPECT_THAT(FetchAll(), ElementsAre("app 1", "app 2", "sec 1", "sys 1", "sys 2"));
  EXPECT_EQ(7, pause_.waits());
  EXPECT_EQ(7u * 500, pause_.total_milliseconds());
  // "logging" was missing: the first fetch wrote it as 0, and nothing was traced.
  EXPECT_EQ(0, config::RegistryConfig(registry_, nullptr).GetLogging());
  EXPECT_EQ("", Trace());
}

TEST_P(ReaderScenarios, FetchOfNothingNewAndOfARecordTraceEveryStep) {
  Write("Security", "old");
  SetLogging(1);
  MakeReader();
  EXPECT_FALSE(reader_->FetchNext());
  EXPECT_EQ(
      "eventlog Application is initialized\nreading event log Application\n"
      "tried to read size, looks like it is empty\nReadEvent(0) was unsuccessful \n"
      "eventlog Security is initialized\nreading event log Security\n"
      "tried to read size, but there are no new events to read\nReadEvent(1) was unsuccessful \n"
      "eventlog System is initialized\nreading event log System\n"
      "tried to read size, looks like it is empty\nReadEvent(2) was unsuccessful \n",
      Trace());
  ClearTrace();
  TestEvent event;
  event.strings = {"disk", "full"};
  logs_->Write("Application", event);
  ASSERT_TRUE(reader_->FetchNext());
  const std::string size = std::to_string(AnsiRecord(event).size());
  EXPECT_EQ(
      "eventlog Application is initialized\nreading event log Application\n"
      "tried to read size, status is <0> and error is <122>\nread size success: size is " +
          size + "\nRead <" + size +
          "> bytes\neventID  <1000>\nraw eventID  <1000>\neventType  <3>\n"
          "eventCategory <0>\neventSource  <KivoTest>\nNo event message file for KivoTest\n"
          "string 1 <disk>\nstring 2 <full>\ncomputerName  <KIVOHOST>\nsid not specified\n"
          "ReadEvent(0) was successful \n",
      Trace());
  EXPECT_STREQ("diskfull", reader_->GetDescription());
}

TEST_P(ReaderScenarios, ReadsRecordsOfAnySizeWithTheirWholeText) {
  MakeReader();
  const std::string long_text(8500, 'n');
  logs_->Write("Application", Sized(long_text, 9000));
  logs_->Write("Application", Sized("forty", 40000));
  EXPECT_THAT(FetchAll(), ElementsAre(long_text, "forty"));
}

TEST_P(ReaderScenarios, PicksUpAClearedLogAtItsNewEnd) {
  MakeReader();
  Write("Application", "one");
  Write("Application", "two");
  EXPECT_THAT(FetchAll(), ElementsAre("one", "two"));
  logs_->Clear("Application");
  Write("Application", "between the clear and the next read");
  SetLogging(1);
  EXPECT_THAT(FetchAll(), IsEmpty());
  EXPECT_THAT(Trace(), HasSubstr("tried to read size, status is <0> and error is <1503>\n"));
  Write("Application", "after");
  EXPECT_THAT(FetchAll(), ElementsAre("after"));
}

TEST_P(ReaderScenarios, GoesOnWithTheOldestRecordAfterAWrapPastItsPosition) {
  MakeReader();
  Write("Application", "first");
  EXPECT_THAT(FetchAll(), ElementsAre("first"));
  logs_->WriteWrapping("Application", 100);
  platform::EventLog& log = logs_->event_log();
  const platform::EventLogHandle handle = log.Open("Application");
  std::uint32_t oldest = 0;
  ASSERT_TRUE(log.OldestRecord(handle, &oldest));
  log.Close(handle);
  ASSERT_GT(oldest, 2u);
  SetLogging(1);
  const std::vector<std::string> seen = FetchAll();
  // Record 1 was "first", so record n is "w" n - 2.
  ASSERT_EQ(102 - oldest, seen.size());
  EXPECT_EQ("w" + std::to_string(oldest - 2), seen.front());
  EXPECT_EQ("w99", seen.back());
  EXPECT_THAT(Trace(), HasSubstr("records 2 to " + std::to_string(oldest - 1) +
                                 " of Application were overwritten before they were read, going "
                                 "on with record " +
                                 std::to_string(oldest) + "\n"));
}

// Runs of a service that keeps its positions: each run forwards what is new
// (keeping the position after every record), while the log changes between
// and during runs.
TEST_P(ReaderScenarios, ResumeGoesOnFromTheKeptPositionOrTheOldestRecordNamingWhatWasLost) {
  eventlog::LogPositions positions(registry_);
  const auto start = [&] {
    reader_ = std::make_unique<eventlog::EventLogReader>(logs_->event_log(), messages_, pause_,
                                                         registry_, &positions);
  };
  const auto fetch_all = [&] {
    std::vector<std::string> seen;
    for (; reader_->FetchNext(); reader_->KeepPosition()) seen.push_back(reader_->GetDescription());
    return seen;
  };
  Write("Security", "before the first start");
  start();
  Write("Security", "sent");
  EXPECT_THAT(fetch_all(), ElementsAre("sent"));
  Write("Security", "while stopped 1");
  Write("Security", "while stopped 2");
  start();
  EXPECT_THAT(fetch_all(), ElementsAre("while stopped 1", "while stopped 2"));
  // Cleared, and written again past the kept position: the record before it
  // is another one now.
  logs_->Clear("Security");
  for (const char* text : {"new 1", "new 2", "new 3", "new 4", "new 5"}) Write("Security", text);
  start();
  EXPECT_THAT(fetch_all(), ElementsAre("new 1", "new 2", "new 3", "new 4", "new 5"));
  // Cleared while running: what was written since is read too.
  logs_->Clear("Security");
  Write("Security", "after a clear");
  EXPECT_THAT(fetch_all(), IsEmpty());  // the fetch that finds the log cleared
  EXPECT_THAT(fetch_all(), ElementsAre("after a clear"));
  logs_->WriteWrapping("Security", 100);
  start();
  const std::vector<std::string> wrapped = fetch_all();
  ASSERT_FALSE(wrapped.empty());
  EXPECT_EQ("w99", wrapped.back());
  const int oldest = std::stoi(wrapped.front().substr(1)) + 2;  // record n is "w" n - 2
  EXPECT_EQ(
      "records from 5 on of Security were cleared before they were read, going on with "
      "record 1\nrecords from 6 on of Security were cleared before they were read, going on "
      "with record 1\nrecords 2 to " +
          std::to_string(oldest - 1) +
          " of Security were overwritten before they were read, going on with record " +
          std::to_string(oldest) + "\n",
      Trace());
}

// A kept position that is damaged, whatever is wrong with it, is named in
// the trace whatever "logging" says, and reading goes on from the oldest
// record: the whole log is sent again rather than anything lost.
TEST_P(ReaderScenarios, ResumeSendsTheWholeLogAfterADamagedPosition) {
  const struct {
    StoredValue value;
    const char* why;
  } cases[] = {
      {{platform::RegType::kBinary, "12"}, "a value of 2 bytes, not 8"},
      {{platform::RegType::kBinary, "123456789"}, "a value of 9 bytes, not 8"},
      {{platform::RegType::kNumber, Dword(2)}, "a value of REG_DWORD, not REG_BINARY"},
  };
  eventlog::LogPositions positions(registry_);
  Write("System", "old 1");
  Write("System", "old 2");
  for (const auto& c : cases) {
    ClearTrace();
    ASSERT_TRUE(WriteValue(registry_, eventlog::LogPositions::KeyPath(), "System", c.value));
    reader_ = std::make_unique<eventlog::EventLogReader>(logs_->event_log(), messages_, pause_,
                                                         registry_, &positions);
    EXPECT_THAT(FetchAll(), ElementsAre("old 1", "old 2")) << c.why;
    EXPECT_EQ("the kept position of System is damaged (" + std::string(c.why) +
                  "), going on with record 1\n",
              Trace());
  }
}

std::unique_ptr<LogBackend> MakeInMemoryLogs(platform::Registry&, platform::FakeMessages&,
                                             const std::filesystem::path&) {
  return std::make_unique<InMemoryLogs>();
}
std::unique_ptr<LogBackend> MakeEvtFiles(platform::Registry& registry,
                                         platform::FakeMessages& messages,
                                         const std::filesystem::path& dir) {
  return std::make_unique<EvtFiles>(registry, messages, dir);
}
INSTANTIATE_TEST_SUITE_P(Backends, ReaderScenarios,
                         ::testing::Values(&MakeInMemoryLogs, &MakeEvtFiles), [](const auto& info) {
                           return std::string(info.index == 0 ? "InMemory" : "EvtFile");
                         });

// Faults injected into the in-memory logs.
class ReaderFaultsTest : public ReaderTest {
 protected:
  void SetUp() override {
    auto logs = std::make_unique<InMemoryLogs>();
    fake_ = &logs->logs;
    logs_ = std::move(logs);
  }
  platform::FakeEventLog* fake_ = nullptr;
};

TEST_F(ReaderFaultsTest, LogsThatCannotBeSetUpAreReportedWhateverLoggingSaysAndNeverRead) {
  SetLogging(0);
  fake_->FailOpen("Security", 1722);
  fake_->FailCount("System", 1500);
  MakeReader();
  EXPECT_EQ(
      "Could not open Event Log for Security\nError is 1722\nCould not get log count for 3\n"
      "Error is 1500\n",
      Trace());
  SetLogging(1);
  ClearTrace();
  EXPECT_FALSE(reader_->FetchNext());
  EXPECT_THAT(Trace(), HasSubstr("ReadEvent(0) was unsuccessful \neventlog Security is NOT "
                                 "initialized\neventlog System is NOT initialized\n"));
  EXPECT_EQ(2, fake_->open_handles());
  reader_.reset();
  EXPECT_EQ(0, fake_->open_handles());
}

TEST_F(ReaderFaultsTest, FailedReopenLeavesTheLogUnreadAndTracesWhy) {
  SetLogging(1);
  MakeReader();
  fake_->FailNextRead("System", platform::kErrorEventLogFileCorrupt);
  fake_->FailOpen("System", 5);
  ClearTrace();
  EXPECT_FALSE(reader_->FetchNext());
  EXPECT_THAT(Trace(), EndsWith("ReadEvent(1) was unsuccessful \neventlog System is initialized\n"
                                "reading event log System\n"
                                "tried to read size, status is <0> and error is <1500>\n"
                                "failed to reopen log System with error 5\n"
                                "Could not re-get log count for System\nError is 6\n"
                                "ReadEvent(2) was unsuccessful \n"));
  ClearTrace();
  reader_->FetchNext();
  EXPECT_THAT(Trace(), HasSubstr("eventlog System is NOT initialized\n"));
}

TEST_F(ReaderFaultsTest, OtherReadErrorsAskForTheSameRecordAgain) {
  MakeReader();
  Write("Application", "kept");
  fake_->FailNextRead("Application", 5);
  EXPECT_FALSE(reader_->FetchNext());
  EXPECT_THAT(FetchAll(), ElementsAre("kept"));
}

// Positions kept by an earlier version under the service's key are taken
// over once, for logs without one in the store, and that key goes; a start
// without resume forgets the logs' positions and no other value of the key.
TEST(LogPositionsTest, OldPositionsAreTakenOverOnceAndAStartWithoutResumeForgetsOnlyThem) {
  platform::FakeRegistry registry;
  const std::string service = "SYSTEM\\CurrentControlSet\\Services\\kivo";
  const std::string path = eventlog::LogPositions::KeyPath();
  const StoredValue old_app{platform::RegType::kBinary, "app_old_"};
  const StoredValue new_sec{platform::RegType::kBinary, "sec_new_"};
  const StoredValue status{platform::RegType::kBinary, "status"};
  ASSERT_TRUE(WriteValue(registry, service + "\\Positions", "Application", old_app));
  ASSERT_TRUE(WriteValue(registry, service + "\\Positions", "Security", old_app));
  ASSERT_TRUE(WriteValue(registry, path, "Security", new_sec));
  ASSERT_TRUE(WriteValue(registry, path, "Status", status));
  EXPECT_NE(nullptr, eventlog::LogPositions::ForStart(registry, service, true));
  EXPECT_EQ(old_app, ReadValue(registry, path, "Application"));
  EXPECT_EQ(new_sec, ReadValue(registry, path, "Security"));
  EXPECT_FALSE(KeyExists(registry, service + "\\Positions"));
  EXPECT_TRUE(KeyExists(registry, service));

  EXPECT_EQ(nullptr, eventlog::LogPositions::ForStart(registry, service, false));
  EXPECT_FALSE(ReadValue(registry, path, "Application").has_value());
  EXPECT_FALSE(ReadValue(registry, path, "Security").has_value());
  EXPECT_EQ(status, ReadValue(registry, path, "Status"));
}

// Writes that fail, the key's creation included, are traced whatever
// "logging" says: once when they start to fail, once when they work again.
TEST(LogPositionsTest, WritesThatFailAreTracedOncePerOutage) {
  ScopedTempDir dir;
  platform::FakeRegistry registry;
  registry.RefuseChanges(platform::kErrorAccessDenied);
  eventlog::LogPositions positions(registry);
  positions.Save("System", {7, 1});
  registry.RefuseChanges(platform::kRegSuccess);
  positions.Save("System", {8, 1});
  positions.Save("System", {9, 1});
  registry.RefuseChanges(platform::kErrorAccessDenied);
  positions.Save("System", {10, 1});
  positions.Save("System", {11, 1});
  const std::string path = eventlog::LogPositions::KeyPath();
  EXPECT_EQ(9u, positions.Load("System").position.value_or(eventlog::LogPosition{}).next_record);
  EXPECT_THAT(ReadLines(config::TraceFile::kFileName),
              ElementsAre("positions cannot be kept in " + path + ": error 5",
                          "positions are kept in " + path + " again",
                          "positions cannot be kept in " + path + ": error 5"));
}

}  // namespace
}  // namespace kivo::testing
