#include "eventlog/EventLogReader.h"

#include <utility>

#include "eventlog/Tracing.h"

namespace kivo::eventlog {

using config::TraceFile;

static_assert(kLogCount == 3, "one cursor per log of the log table");

EventLogReader::EventLogReader(platform::EventLog& event_log, platform::Messages& messages,
                               platform::Pause& pause, platform::Registry& registry,
                               LogPositions* positions, OutageReport report,
                               platform::SteadyClock clock)
    : pause_(pause),
      registry_(registry),
      services_{messages, std::move(clock), std::move(report)},
      decoder_(messages, registry),
      logs_{LogCursor(event_log, 0, positions, services_),
            LogCursor(event_log, 1, positions, services_),
            LogCursor(event_log, 2, positions, services_)} {
  for (LogCursor& log : logs_) log.Start();
}

EventLogReader::~EventLogReader() {
  CloseAll();
}

void EventLogReader::CloseAll() {
  for (LogCursor& log : logs_) log.CloseLog();
}

bool EventLogReader::FetchNext() {
  if (!burst_ || !found_last_) pause_.Wait(kPauseMilliseconds);
  found_last_ = false;
  delivered_ = nullptr;
  TraceFile trace = TraceFile::OpenIf(TracingOn(registry_, true));
  const int first = burst_ ? next_first_ : 0;
  for (int turn = 0; turn < kLogCount; ++turn) {
    LogCursor& log = logs_[(first + turn) % kLogCount];
    if (!log.ReopenIfDue(trace)) {
      trace.Line("eventlog ", log.name(), " is NOT initialized");
      continue;
    }
    trace.Line("eventlog ", log.name(), " is initialized");
    if (ReadAndDecode(log)) {
      trace.Line("ReadEvent(", log.index(), ") was successful ");
      found_last_ = true;
      delivered_ = &log;
      next_first_ = (log.index() + 1) % kLogCount;
      return true;
    }
    trace.Line("ReadEvent(", log.index(), ") was unsuccessful ");
  }
  return false;
}

std::array<LogProgress, kLogCount> EventLogReader::Progress() const {
  std::array<LogProgress, kLogCount> progress;
  for (const LogCursor& log : logs_) {
    progress[log.index()] = LogProgress{log.name(), log.IsInitialised(), log.next_record().value()};
  }
  return progress;
}

void EventLogReader::KeepPosition() {
  if (delivered_ != nullptr) delivered_->KeepPosition();
}

bool EventLogReader::ReadAndDecode(LogCursor& log) {
  // The read's trace stays open through the decode, which opens its own.
  TraceFile trace = TraceFile::OpenIf(TracingOn(registry_, false));
  if (!log.ReadFromLog(record_, trace)) return false;
  decoder_.DecodeRecord(log.index(), record_.bytes.data(), record_.length, event_);
  return true;
}

}  // namespace kivo::eventlog
