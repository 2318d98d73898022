// Behaviour of the event log that the reader relies on. The same cases run
// against the in-memory log, the .evt-file log (both builds) and, in the
// Windows build, against advapi32 under Wine. Wine's event log is a stub
// that always holds no records, so the cases that write records run only
// against implementations that can hold some.

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "evtfile/EvtLogFixture.h"
#include "platform/EventLog.h"
#include "platform/fake/FakeEventLog.h"
#include "support/EventRecords.h"
#ifdef _WIN32
#include "platform/win32eventlog/Win32EventLog.h"
#endif

namespace kivo::testing {
namespace {

// An event log with its Application log, and a way to write to it when the
// implementation can hold records.
class LogUnderTest {
 public:
  virtual ~LogUnderTest() = default;
  virtual platform::EventLog& log() = 0;
  // False when this log cannot hold records.
  virtual bool Append(const TestEvent& event) { return false; }
  virtual void Clear() {}
};

class EventLogContract : public ::testing::TestWithParam<std::unique_ptr<LogUnderTest> (*)()> {
 protected:
  void SetUp() override {
    under_test_ = GetParam()();
    handle_ = log().Open("Application");
    ASSERT_NE(platform::kNoEventLog, handle_);
  }
  void TearDown() override { log().Close(handle_); }
  platform::EventLog& log() { return under_test_->log(); }
  // Reads record `number` into a buffer of `size` bytes; the error when it fails.
  std::uint32_t Read(platform::EventLogHandle handle, std::uint32_t number,
                     std::vector<unsigned char>* buffer, std::uint32_t* needed) {
    std::uint32_t read = 0;
    const bool ok =
        log().Read(handle, platform::kEventLogSeekRead | platform::kEventLogForwardsRead, number,
                   buffer->data(), static_cast<std::uint32_t>(buffer->size()), &read, needed);
    if (ok) buffer->resize(read);
    return ok ? 0 : log().LastError();
  }

  std::unique_ptr<LogUnderTest> under_test_;
  platform::EventLogHandle handle_ = platform::kNoEventLog;
};

TEST_P(EventLogContract, EmptyLogHasNoRecordsAndReadsFailWithEof) {
  std::uint32_t count = 99, oldest = 99, needed = 0;
  EXPECT_TRUE(log().CountRecords(handle_, &count));
  EXPECT_EQ(0u, count);
  EXPECT_TRUE(log().OldestRecord(handle_, &oldest));
  EXPECT_EQ(0u, oldest);
  std::vector<unsigned char> buffer(64);
  EXPECT_EQ(platform::kErrorHandleEof, Read(handle_, 1, &buffer, &needed));
}

TEST_P(EventLogContract, RecordsAreReadByNumberAfterASizeProbe) {
  TestEvent event;
  event.strings = {"one"};
  if (!under_test_->Append(event)) GTEST_SKIP() << "this event log holds no records";
  event.strings = {"two", "second"};
  under_test_->Append(event);
  std::uint32_t count = 0, oldest = 0, needed = 0;
  ASSERT_TRUE(log().CountRecords(handle_, &count));
  ASSERT_TRUE(log().OldestRecord(handle_, &oldest));
  EXPECT_EQ(2u, count);
  EXPECT_EQ(1u, oldest);

  auto expected = AnsiRecord(event);
  expected[8] = 2;  // its record number
  std::vector<unsigned char> buffer(1);
  EXPECT_EQ(platform::kErrorInsufficientBuffer, Read(handle_, 2, &buffer, &needed));
  EXPECT_EQ(expected.size(), needed);
  buffer.resize(needed);
  ASSERT_EQ(0u, Read(handle_, 2, &buffer, &needed));
  EXPECT_EQ(expected, buffer);
  EXPECT_EQ(platform::kErrorInvalidParameter, Read(handle_, 3, &buffer, &needed));
}

TEST_P(EventLogContract, ClearedLogFailsReadsOfHandlesOpenedBefore) {
  if (!under_test_->Append(TestEvent())) GTEST_SKIP() << "this event log holds no records";
  std::uint32_t count = 0, needed = 0;
  ASSERT_TRUE(log().CountRecords(handle_, &count));
  under_test_->Clear();
  std::vector<unsigned char> buffer(8);
  EXPECT_EQ(platform::kErrorEventLogFileChanged, Read(handle_, 1, &buffer, &needed));
  const platform::EventLogHandle after = log().Open("Application");
  EXPECT_EQ(platform::kErrorHandleEof, Read(after, 1, &buffer, &needed));
  log().Close(after);
}

class FakeLog : public LogUnderTest {
 public:
  FakeLog() { log_.AddLog("Application"); }
  platform::EventLog& log() override { return log_; }
  bool Append(const TestEvent& event) override {
    log_.Append("Application", AnsiRecord(event));
    return true;
  }
  void Clear() override { log_.Clear("Application"); }

 private:
  platform::FakeEventLog log_;
};

class EvtFileLog : public LogUnderTest {
 public:
  EvtFileLog() : writer_((dir_.path() / "AppEvent.Evt").string()) {
    RegisterLogFile(registry_, messages_, "Application", dir_.path().string(), "AppEvent.Evt");
    writer_.Create(0x10000);
  }
  platform::EventLog& log() override { return log_; }
  bool Append(const TestEvent& event) override {
    std::uint32_t number = 0;
    return writer_.Append(ToFields(event), &number);
  }
  void Clear() override { writer_.Clear(); }

 private:
  ScopedTempDir dir_;
  platform::evt::EvtFileWriter writer_;
  platform::FakeRegistry registry_;
  platform::FakeMessages messages_;
  platform::EvtFileEventLog log_{registry_, messages_};
};

template <typename Log>
std::unique_ptr<LogUnderTest> Make() {
  return std::make_unique<Log>();
}

INSTANTIATE_TEST_SUITE_P(Fake, EventLogContract, ::testing::Values(&Make<FakeLog>),
                         [](const auto&) { return std::string("InMemory"); });
INSTANTIATE_TEST_SUITE_P(EvtFile, EventLogContract, ::testing::Values(&Make<EvtFileLog>),
                         [](const auto&) { return std::string("EvtFile"); });

#ifdef _WIN32
class Win32Log : public LogUnderTest {
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
