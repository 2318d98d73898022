#include "eventlog/EventLogReader.h"

#include "eventlog/Tracing.h"

namespace kivo::eventlog {

using config::TraceFile;

static_assert(kLogCount == 3, "one cursor per log of the log table");

EventLogReader::EventLogReader(platform::EventLog& event_log, platform::Messages& messages,
                               platform::Pause& pause, platform::Registry& registry)
    : pause_(pause),
      registry_(registry),
      decoder_(messages, registry),
      logs_{LogCursor(event_log, 0), LogCursor(event_log, 1), LogCursor(event_log, 2)} {
  for (LogCursor& log : logs_) log.Start();
}

EventLogReader::~EventLogReader() {
  CloseAll();
}

void EventLogReader::CloseAll() {
  for (LogCursor& log : logs_) log.CloseLog();
}

bool EventLogReader::FetchNext() {
  pause_.Wait(kPauseMilliseconds);
  TraceFile trace = TraceFile::OpenIf(TracingOn(registry_, true));
  for (LogCursor& log : logs_) {
    if (!log.IsInitialised()) {
      trace.Line("eventlog ", log.name(), " is NOT initialized");
      continue;
    }
    trace.Line("eventlog ", log.name(), " is initialized");
    if (ReadAndDecode(log)) {
      trace.Line("ReadEvent(", log.index(), ") was successful ");
      return true;
    }
    trace.Line("ReadEvent(", log.index(), ") was unsuccessful ");
  }
  return false;
}

bool EventLogReader::ReadAndDecode(LogCursor& log) {
  // The read's trace stays open through the decode, which opens its own.
  TraceFile trace = TraceFile::OpenIf(TracingOn(registry_, false));
  if (!log.ReadFromLog(record_, trace)) return false;
  decoder_.DecodeRecord(log.index(), record_.bytes, record_.length, event_);
  return true;
}

}  // namespace kivo::eventlog
