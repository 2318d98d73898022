#pragma once

// Behaviour of the event log that the reader relies on. The same cases run
// against the in-memory log, the .evt-file log (both builds) and, in the
// Windows build, against advapi32 under Wine. Wine's event log is a stub
// that always holds no records, so the cases that write records run only
// against implementations that can hold some.

#include <gtest/gtest.h>

#include <memory>

#include "platform/EventLog.h"
#include "support/EventRecords.h"

namespace kivo::testing {

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
std::unique_ptr<LogUnderTest> MakeFakeLog();
std::unique_ptr<LogUnderTest> MakeEvtFileLog();

class EventLogContract : public ::testing::TestWithParam<LogFactory> {
 protected:
  void SetUp() override { under_test_ = GetParam()(); }
  platform::EventLog& log() { return under_test_->log(); }
  std::unique_ptr<LogUnderTest> under_test_;
};

}  // namespace kivo::testing
