// Behaviour of the event log that the reader relies on, where the platform's
// own log can show it: Wine's event log is a stub that always holds no
// records, so the empty log is what the in-memory log, the .evt-file log (both
// builds) and, in the Windows build, advapi32 under Wine must agree on. Logs
// with records (the size probe, reads past the end, a clear) are the reader's
// scenarios, run over the in-memory and the .evt-file logs.

#include <gtest/gtest.h>

#include <memory>

#include "evtfile/EvtLogFixture.h"
#include "platform/EventLog.h"
#include "platform/fake/FakeEventLog.h"
#ifdef _WIN32
#include "platform/win32eventlog/Win32EventLog.h"
#endif

namespace kivo::testing {
namespace {

// An event log whose Application log exists and is empty.
class EmptyLog {
 public:
  virtual ~EmptyLog() = default;
  virtual platform::EventLog& log() = 0;
};

class EventLogContract : public ::testing::TestWithParam<std::unique_ptr<EmptyLog> (*)()> {};

TEST_P(EventLogContract, EmptyLogHasNoRecordsAndReadsBySeekOrInOrderFailWithEof) {
  const auto under_test = GetParam()();
  platform::EventLog& log = under_test->log();
  const platform::EventLogHandle handle = log.Open("Application");
  ASSERT_NE(platform::kNoEventLog, handle);
  std::uint32_t count = 99, oldest = 99, read = 0, needed = 0;
  EXPECT_TRUE(log.CountRecords(handle, &count));
  EXPECT_TRUE(log.OldestRecord(handle, &oldest));
  EXPECT_EQ(0u, count + oldest);
  unsigned char buffer[64];
  for (const std::uint32_t flags :
       {platform::kEventLogSeekRead, platform::kEventLogSequentialRead}) {
    EXPECT_FALSE(log.Read(handle, flags | platform::kEventLogForwardsRead, 1, buffer,
                          sizeof(buffer), &read, &needed));
    EXPECT_EQ(platform::kErrorHandleEof, log.LastError()) << flags;
  }
  log.Close(handle);
}

class FakeLog : public EmptyLog {
 public:
  FakeLog() { log_.AddLog("Application"); }
  platform::EventLog& log() override { return log_; }

 private:
  platform::FakeEventLog log_;
};

class EvtFileLog : public EmptyLog {
 public:
  EvtFileLog() {
    RegisterLogFile(registry_, messages_, "Application", dir_.path().string(), "AppEvent.Evt");
    platform::evt::EvtFileWriter((dir_.path() / "AppEvent.Evt").string()).Create(0x10000);
  }
  platform::EventLog& log() override { return log_; }

 private:
  ScopedTempDir dir_;
  platform::FakeRegistry registry_;
  platform::FakeMessages messages_;
  platform::EvtFileEventLog log_{registry_, messages_};
};

template <typename Log>
std::unique_ptr<EmptyLog> Make() {
  return std::make_unique<Log>();
}

INSTANTIATE_TEST_SUITE_P(Fake, EventLogContract, ::testing::Values(&Make<FakeLog>),
                         [](const auto&) { return std::string("InMemory"); });
INSTANTIATE_TEST_SUITE_P(EvtFile, EventLogContract, ::testing::Values(&Make<EvtFileLog>),
                         [](const auto&) { return std::string("EvtFile"); });

#ifdef _WIN32
class Win32Log : public EmptyLog {
 public:
  platform::EventLog& log() override { return log_; }

 private:
  platform::Win32EventLog log_;
};
INSTANTIATE_TEST_SUITE_P(Win32, EventLogContract, ::testing::Values(&Make<Win32Log>),
                         [](const auto&) { return std::string("Win32"); });
#endif

}  // namespace
}  // namespace kivo::testing
