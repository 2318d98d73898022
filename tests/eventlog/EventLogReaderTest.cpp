// The reader through the face the run loop uses. Its scenarios (order, skip,
// clear, wrap, outages, seek reads that fail, numbers that go round, kept
// positions, and the traces of a fetch) run once over each log backend: the
// in-memory logs and the .evt files that kivo-evtfile.exe reads, with the
// platform's faults injected over either. The kept positions' own store
// follows.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <deque>
#include <map>
#include <memory>
#include <numeric>
#include <string>
#include <vector>

#include "config/RegistryConfig.h"
#include "eventlog/EventLogReader.h"
#include "eventlog/LogPositions.h"
#include "evtfile/EvtLogFixture.h"
#include "platform/fake/FakeEventLog.h"
#include "platform/fake/FakePause.h"
#include "platform/fake/FaultyEventLog.h"

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

// The event logs the reader reads, each a ring of about 64 KB, and a writer
// of their records.
class LogBackend {
 public:
  virtual ~LogBackend() = default;
  virtual platform::EventLog& event_log() = 0;
  // Makes a log empty, its first record numbered `first_number`.
  virtual void Create(const std::string& log, std::uint32_t first_number) = 0;
  virtual void Write(const std::string& log, const TestEvent& event) = 0;
  virtual void Clear(const std::string& log, bool keep_numbering) = 0;
};

class InMemoryLogs : public LogBackend {
 public:
  // What the .evt files of 64 KB hold of records of 2 KB.
  static constexpr std::size_t kRing = 31 * 2048;

  InMemoryLogs() {
    for (const char* name : eventlog::kLogNames) logs.AddLog(name);
  }
  platform::EventLog& event_log() override { return logs; }
  void Create(const std::string& log, std::uint32_t first_number) override {
    logs.AddLog(log, first_number);
  }
  void Write(const std::string& log, const TestEvent& event) override {
    std::deque<std::size_t>& sizes = sizes_[log];
    sizes.push_back(AnsiRecord(event).size());
    logs.Append(log, AnsiRecord(event));
    for (std::size_t held = Held(sizes); held > kRing; held -= sizes.front(), sizes.pop_front()) {
      logs.DropOldest(log, 1);
    }
  }
  void Clear(const std::string& log, bool keep_numbering) override {
    logs.Clear(log, keep_numbering);
    sizes_[log].clear();
  }

  platform::FakeEventLog logs;

 private:
  static std::size_t Held(const std::deque<std::size_t>& sizes) {
    return std::accumulate(sizes.begin(), sizes.end(), std::size_t{0});
  }
  std::map<std::string, std::deque<std::size_t>> sizes_;
};

class EvtFiles : public LogBackend {
 public:
  EvtFiles(platform::Registry& registry, platform::FakeMessages& messages,
           const std::filesystem::path& dir)
      : dir_(dir), logs_(registry, messages) {
    for (const char* name : eventlog::kLogNames) {
      RegisterLogFile(registry, messages, name, dir.string(), std::string(name) + ".evt");
      Create(name, 1);
    }
  }
  platform::EventLog& event_log() override { return logs_; }
  void Create(const std::string& log, std::uint32_t first_number) override {
    EXPECT_TRUE(Writer(log).Create(0x10000, 0, first_number));
  }
  void Write(const std::string& log, const TestEvent& event) override {
    std::uint32_t number = 0;
    EXPECT_TRUE(Writer(log).Append(ToFields(event), &number));
  }
  void Clear(const std::string& log, bool keep_numbering) override {
    EXPECT_TRUE(Writer(log).Clear(keep_numbering));
  }

 private:
  platform::evt::EvtFileWriter Writer(const std::string& log) {
    return platform::evt::EvtFileWriter((dir_ / (log + ".evt")).string());
  }
  std::filesystem::path dir_;
  platform::EvtFileEventLog logs_;
};

// A reader on a log backend with the platform's faults, with in-memory
// messages, pause and registry, a clock the test moves and the outages it
// reports, in a fresh current directory so that the trace file is the
// test's own.
class ReaderTest : public ::testing::Test {
 protected:
  void SetLogging(int value) { config::RegistryConfig(registry_, nullptr).SetLogging(value); }
  void MakeReader(eventlog::LogPositions* positions = nullptr) {
    reader_ = std::make_unique<eventlog::EventLogReader>(
        *faults_, messages_, pause_, registry_, positions,
        [this](bool failing, const std::vector<std::string>& inserts) {
          std::string report = failing ? "failing" : "working";
          for (const std::string& insert : inserts) report += " " + insert;
          reports_.push_back(report);
        },
        [this] { return now_; });
  }
  void Write(const std::string& log, const std::string& text) {
    TestEvent event;
    event.strings = {text};
    logs_->Write(log, event);
  }
  // Writes `count` records of 2 KB ("w0", "w1", ...): more than 30 wrap the
  // log round.
  void WriteWrapping(const std::string& log, int count) {
    for (int i = 0; i < count; ++i) logs_->Write(log, Sized("w" + std::to_string(i), 2048));
  }
  std::uint32_t Oldest(const std::string& log) {
    platform::EventLog& events = logs_->event_log();
    const platform::EventLogHandle handle = events.Open(log);
    std::uint32_t oldest = 0;
    EXPECT_TRUE(events.OldestRecord(handle, &oldest));
    events.Close(handle);
    return oldest;
  }
  // The descriptions of every record fetched until none is left, each
  // position kept once its record is handed over.
  std::vector<std::string> FetchAll() {
    std::vector<std::string> seen;
    for (; reader_->FetchNext(); reader_->KeepPosition()) seen.push_back(reader_->GetDescription());
    return seen;
  }
  // The trace file, with its line ends as LF.
  std::string Trace() {
    std::string text;
    for (const std::string& line : ReadLines(config::TraceFile::kFileName)) text += line + "\n";
    return text;
  }
  void ClearTrace() { std::remove(config::TraceFile::kFileName); }
  // The line that names records overwritten before they were read.
  static std::string Overwritten(const char* log, std::uint32_t from, std::uint32_t oldest) {
    return "records " + std::to_string(from) + " to " + std::to_string(oldest - 1) + " of " + log +
           " were overwritten before they were read, going on with record " +
           std::to_string(oldest) + "\n";
  }

  ScopedTempDir dir_;
  platform::FakeRegistry registry_;
  platform::FakeMessages messages_;
  platform::FakePause pause_;
  std::unique_ptr<LogBackend> logs_;
  std::unique_ptr<platform::FaultyEventLog> faults_;
  std::int64_t now_ = 0;
  std::vector<std::string> reports_;
  std::unique_ptr<eventlog::EventLogReader> reader_;
};

using BackendFactory = std::unique_ptr<LogBackend> (*)(platform::Registry&, platform::FakeMessages&,
                                                       const std::filesystem::path&);

class ReaderScenarios : public ReaderTest, public ::testing::WithParamInterface<BackendFactory> {
 protected:
  void SetUp() override {
    logs_ = GetParam()(registry_, messages_, dir_.path());
    faults_ = std::make_unique<platform::FaultyEventLog>(logs_->event_log());
  }
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

// A cleared log is read from its oldest record: everything in it was
// written after the clear, the "log cleared" record that a clear writes
// first of all. Whether numbering starts again at 1 or goes on (as since
// Vista SP1), and whether the reader finds the log empty first or already
// written to, nothing is called overwritten, and a line names what the
// clear may have taken unread. (The first record after the clear is as
// long as the one before it: nothing but the clear tells them apart.)
TEST_P(ReaderScenarios, ReadsAClearedLogFromItsOldestRecord) {
  MakeReader();
  for (const bool keep_numbering : {false, true}) {
    for (const bool look_between : {false, true}) {
      ClearTrace();
      Write("Application", "earlier");
      EXPECT_THAT(FetchAll(), ElementsAre("earlier"));
      const std::uint32_t next = reader_->Progress()[0].next_record;
      logs_->Clear("Application", keep_numbering);
      if (look_between) {
        EXPECT_THAT(FetchAll(), IsEmpty());
      }
      Write("Application", "cleared");
      Write("Application", "after the clear");
      EXPECT_THAT(FetchAll(), ElementsAre("cleared", "after the clear"));
      EXPECT_EQ(keep_numbering ? ""
                               : "records from " + std::to_string(next) +
                                     " on of Application were cleared before they were read, "
                                     "going on with record 1\n",
                Trace());
    }
  }
}

TEST_P(ReaderScenarios, GoesOnWithTheOldestRecordAfterAWrapPastItsPosition) {
  MakeReader();
  Write("Application", "first");
  EXPECT_THAT(FetchAll(), ElementsAre("first"));
  WriteWrapping("Application", 100);
  const std::uint32_t oldest = Oldest("Application");
  ASSERT_GT(oldest, 2u);
  const std::vector<std::string> seen = FetchAll();
  // Record 1 was "first", so record n is "w" n - 2.
  ASSERT_EQ(102 - oldest, seen.size());
  EXPECT_EQ("w" + std::to_string(oldest - 2), seen.front());
  EXPECT_EQ("w99", seen.back());
  EXPECT_EQ(Overwritten("Application", 2, oldest), Trace());
}

// Runs of a service that keeps its positions: each run forwards what is new
// (keeping the position after every record), while the log changes between
// and during runs.
TEST_P(ReaderScenarios, ResumeGoesOnFromTheKeptPositionOrTheOldestRecordNamingWhatWasLost) {
  eventlog::LogPositions positions(registry_);
  const auto start = [&] { MakeReader(&positions); };
  const auto fetch_all = [&] { return FetchAll(); };
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
  logs_->Clear("Security", false);
  for (const char* text : {"new 1", "new 2", "new 3", "new 4", "new 5"}) Write("Security", text);
  start();
  EXPECT_THAT(fetch_all(), ElementsAre("new 1", "new 2", "new 3", "new 4", "new 5"));
  // Cleared while running: what was written since is read at once.
  logs_->Clear("Security", false);
  Write("Security", "after a clear");
  EXPECT_THAT(fetch_all(), ElementsAre("after a clear"));
  WriteWrapping("Security", 100);
  start();
  const std::vector<std::string> wrapped = fetch_all();
  ASSERT_FALSE(wrapped.empty());
  EXPECT_EQ("w99", wrapped.back());
  const int oldest = std::stoi(wrapped.front().substr(1)) + 2;  // record n is "w" n - 2
  EXPECT_EQ(
      "records from 5 on of Security were cleared before they were read, going on with "
      "record 1\nrecords from 6 on of Security were cleared before they were read, going on "
      "with record 1\n" +
          Overwritten("Security", 2, oldest),
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
    MakeReader(&positions);
    EXPECT_THAT(FetchAll(), ElementsAre("old 1", "old 2")) << c.why;
    EXPECT_EQ("the kept position of System is damaged (" + std::string(c.why) +
                  "), going on with record 1\n",
              Trace());
  }
}

// Every call may fail: 6 on the handles a restarted event log service
// leaves behind, RPC errors 1717 and 1722, 5, 1500. The log is closed and
// opened again 1 s later, then after 2, 4 ... up to 60 s, never given up;
// the position is kept, so nothing written meanwhile is lost; and each
// outage and its end are reported once, in the trace whatever "logging"
// says and to the report.
TEST_P(ReaderScenarios, EveryFailingCallIsSurvivedWithOneReportPerOutage) {
  using Call = platform::FaultyEventLog::Call;
  const auto opens = [this] { return faults_->calls("System", Call::kOpen); };
  MakeReader();
  Write("System", "before");
  EXPECT_THAT(FetchAll(), ElementsAre("before"));
  for (const Call call : {Call::kOpen, Call::kCount, Call::kOldest, Call::kRead}) {
    for (const std::uint32_t error : {6u, 1717u, 1722u, 5u, 1500u}) {
      const std::string what = std::to_string(static_cast<int>(call)) + "/" + std::to_string(error);
      ClearTrace();
      reports_.clear();
      faults_->Fail("System", call, error);
      // A read that fails is what makes the log be opened again.
      if (call == Call::kOpen) faults_->Fail("System", Call::kRead, error);
      EXPECT_THAT(FetchAll(), IsEmpty()) << what;
      const std::uint32_t next = reader_->Progress()[2].next_record;
      EXPECT_FALSE(reader_->Progress()[2].initialised) << what;
      Write("System", "during " + what);
      int tries = opens();
      for (const std::int64_t wait : {1000, 2000, 4000, 8000, 16000, 32000, 60000, 60000}) {
        now_ += wait - 1;
        EXPECT_THAT(FetchAll(), IsEmpty());
        EXPECT_EQ(tries, opens()) << what << " before " << wait;
        ++now_;
        EXPECT_THAT(FetchAll(), IsEmpty());
        EXPECT_EQ(++tries, opens()) << what << " after " << wait;
      }
      EXPECT_EQ(next, reader_->Progress()[2].next_record) << what;
      faults_->Mend("System");
      Write("System", "after " + what);
      now_ += 60000;
      EXPECT_THAT(FetchAll(), ElementsAre("during " + what, "after " + what));
      const std::string why = "error " + std::to_string(error);
      EXPECT_EQ(
          "the System event log cannot be read: " + why + "\nthe System event log is read again\n",
          Trace());
      EXPECT_THAT(reports_, ElementsAre("failing System " + why, "working System"));
    }
  }
}

// Logs that cannot be opened or positioned at the start are named with
// their error whatever "logging" says, and opened again later like any
// other; each then reads what is written after it opened.
TEST_P(ReaderScenarios, LogsThatCannotBeSetUpAtTheStartAreTracedAndOpenedLater) {
  using Call = platform::FaultyEventLog::Call;
  faults_->Fail("Security", Call::kOpen, 1722);
  faults_->Fail("System", Call::kCount, 1500);
  MakeReader();
  EXPECT_EQ(
      "Could not open Event Log for Security\nError is 1722\n"
      "the Security event log cannot be read: error 1722\n"
      "Could not get log count for 3\nError is 1500\n"
      "the System event log cannot be read: error 1500\n",
      Trace());
  SetLogging(1);
  ClearTrace();
  EXPECT_FALSE(reader_->FetchNext());
  EXPECT_THAT(Trace(), HasSubstr("ReadEvent(0) was unsuccessful \neventlog Security is NOT "
                                 "initialized\neventlog System is NOT initialized\n"));
  faults_->Mend("Security");
  faults_->Mend("System");
  now_ += 1000;
  EXPECT_THAT(FetchAll(), IsEmpty());
  Write("Security", "sec");
  Write("System", "sys");
  EXPECT_THAT(FetchAll(), ElementsAre("sec", "sys"));
  EXPECT_THAT(reports_, ElementsAre("failing Security error 1722", "failing System error 1500",
                                    "working Security", "working System"));
}

// A log whose seek reads fail with 87 for records that exist is read in
// order from then on (traced once), and what a read in order returns is
// checked: a record newer than the next one means the log wrapped past it.
TEST_P(ReaderScenarios, SeekReadsThatFailFor87FallBackToReadingInOrder) {
  MakeReader();
  Write("System", "a");
  EXPECT_THAT(FetchAll(), ElementsAre("a"));
  faults_->FailSeekReads("System");
  Write("System", "b");
  Write("System", "c");
  EXPECT_THAT(FetchAll(), ElementsAre("b", "c"));
  Write("System", "d");
  EXPECT_THAT(FetchAll(), ElementsAre("d"));
  WriteWrapping("System", 40);
  const std::uint32_t oldest = Oldest("System");
  const std::vector<std::string> seen = FetchAll();
  ASSERT_EQ(45 - oldest, seen.size());  // record n is "w" n - 5
  EXPECT_EQ("w" + std::to_string(oldest - 5), seen.front());
  EXPECT_EQ(
      "record 2 of System cannot be read by its number (error 87), reading System in order\n" +
          Overwritten("System", 5, oldest),
      Trace());
}

// Count and oldest come from two calls. A wrap between them (one big record
// in place of several small ones) names an end past the real one, which a
// read shows: the records written next are read, none skipped.
TEST_P(ReaderScenarios, AWrapBetweenCountAndOldestSkipsNoRecord) {
  WriteWrapping("System", 40);
  faults_->BeforeNextOldest("System", [this] { logs_->Write("System", Sized("big", 8192)); });
  MakeReader();
  for (const char* text : {"x1", "x2", "x3", "x4"}) Write("System", text);
  EXPECT_THAT(FetchAll(), ElementsAre("x1", "x2", "x3", "x4"));
}

// After 0xFFFFFFFF comes record 0: a log whose numbers go round is read
// across it, record 0 included, nothing sent twice by the polls that find
// nothing new, nor by a start that goes on from a kept position.
TEST_P(ReaderScenarios, ALogWhoseNumbersGoRoundIsReadAcrossThem) {
  eventlog::LogPositions positions(registry_);
  logs_->Create("System", 0xFFFFFFF0);
  for (int i = 0; i < 10; ++i) Write("System", "old");
  MakeReader(&positions);
  std::vector<std::string> written;
  for (int i = 0; i < 23; ++i) {
    written.push_back("n" + std::to_string(i));
    Write("System", written.back());
  }
  EXPECT_EQ(written, FetchAll());
  EXPECT_EQ(0x11u, reader_->Progress()[2].next_record);
  EXPECT_THAT(FetchAll(), IsEmpty());
  Write("System", "last");
  MakeReader(&positions);
  EXPECT_THAT(FetchAll(), ElementsAre("last"));
  EXPECT_EQ("", Trace());
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
