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
// implementation has one.
class LogUnderTest {
 public:
  virtual ~LogUnderTest() = default;
  virtual platform::EventLog& log() = 0;
  virtual bool CanWrite() const { return false; }
  virtual void Append(const TestEvent& event) {}
  virtual void Clear() {}
};

using LogFactory = std::unique_ptr<LogUnderTest> (*)();

class EventLogContract : public ::testing::TestWithParam<LogFactory> {
 protected:
  void SetUp() override { under_test_ = GetParam()(); }
  platform::EventLog& log() { return under_test_->log(); }
  std::unique_ptr<LogUnderTest> under_test_;
};

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

class FakeLog : public LogUnderTest {
 public:
  FakeLog() { log_.AddLog("Application"); }
  platform::EventLog& log() override { return log_; }
  bool CanWrite() const override { return true; }
  void Append(const TestEvent& event) override { log_.Append("Application", AnsiRecord(event)); }
  void Clear() override { log_.Clear("Application"); }

 private:
  platform::FakeEventLog log_;
};

class EvtFileLog : public LogUnderTest {
 public:
  EvtFileLog() : path_((dir_.path() / "AppEvent.Evt").string()), writer_(path_) {
    RegisterLogFile(registry_, messages_, "Application", dir_.path().string(), "AppEvent.Evt");
    writer_.Create(0x10000);
  }
  platform::EventLog& log() override { return log_; }
  bool CanWrite() const override { return true; }
  void Append(const TestEvent& event) override {
    std::uint32_t number = 0;
    ASSERT_TRUE(writer_.Append(ToFields(event), &number));
  }
  void Clear() override { ASSERT_TRUE(writer_.Clear()); }

 private:
  ScopedTempDir dir_;
  std::string path_;
  platform::evt::EvtFileWriter writer_;
  platform::FakeRegistry registry_;
  platform::FakeMessages messages_;
  platform::EvtFileEventLog log_{registry_, messages_};
};

std::unique_ptr<LogUnderTest> MakeFakeLog() {
  return std::make_unique<FakeLog>();
}
std::unique_ptr<LogUnderTest> MakeEvtFileLog() {
  return std::make_unique<EvtFileLog>();
}

INSTANTIATE_TEST_SUITE_P(Fake, EventLogContract, ::testing::Values(&MakeFakeLog),
                         [](const auto&) { return std::string("InMemory"); });
INSTANTIATE_TEST_SUITE_P(EvtFile, EventLogContract, ::testing::Values(&MakeEvtFileLog),
                         [](const auto&) { return std::string("EvtFile"); });

#ifdef _WIN32
class Win32Log : public LogUnderTest {
 public:
  platform::EventLog& log() override { return log_; }

 private:
  platform::Win32EventLog log_;
};
std::unique_ptr<LogUnderTest> MakeWin32Log() {
  return std::make_unique<Win32Log>();
}
INSTANTIATE_TEST_SUITE_P(Win32, EventLogContract, ::testing::Values(&MakeWin32Log),
                         [](const auto&) { return std::string("Win32"); });
#endif

}  // namespace
}  // namespace kivo::testing
