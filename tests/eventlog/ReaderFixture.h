#pragma once

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "config/RegistryConfig.h"
#include "eventlog/EventLogReader.h"
#include "platform/fake/FakeEventLog.h"
#include "platform/fake/FakeMessages.h"
#include "platform/fake/FakePause.h"
#include "platform/fake/FakeRegistry.h"
#include "support/EventRecords.h"
#include "support/TestSupport.h"

namespace kivo::testing {

// The descriptions of every record the reader fetches until none is left.
inline std::vector<std::string> FetchAll(eventlog::EventLogReader& reader) {
  std::vector<std::string> seen;
  while (reader.FetchNext()) seen.push_back(reader.GetDescription());
  return seen;
}

// A reader on in-memory logs, messages and registry, in a fresh current
// directory so that the trace file is the test's own.
class ReaderFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* name : eventlog::EventLogReader::kLogNames) log_.AddLog(name);
  }

  void SetLogging(int value) {
    config::RegistryConfig config(registry_, nullptr);
    config.SetLogging(value);
  }
  std::unique_ptr<eventlog::EventLogReader> MakeReader() {
    return std::make_unique<eventlog::EventLogReader>(log_, messages_, pause_, registry_);
  }
  std::vector<std::string> Trace() { return ReadLines(config::TraceFile::kFileName); }
  void ClearTrace() { std::remove(config::TraceFile::kFileName); }

  void AddSource(const std::string& log, const std::string& source, const std::string& event_files,
                 const std::string& parameter_files = "") {
    ASSERT_TRUE(RegisterEventSource(registry_, log, source, event_files, parameter_files));
  }

  ScopedTempDir dir_;
  platform::FakeRegistry registry_;
  platform::FakeEventLog log_;
  platform::FakeMessages messages_;
  platform::FakePause pause_;
};

}  // namespace kivo::testing
