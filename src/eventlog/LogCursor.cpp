#include "eventlog/LogCursor.h"

#include <algorithm>
#include <cstring>

#include "eventlog/LogTable.h"

namespace kivo::eventlog {

using config::TraceFile;

namespace {

constexpr std::uint32_t kSeekForwards =
    platform::kEventLogSeekRead | platform::kEventLogForwardsRead;

bool IsClearedOrDamaged(std::uint32_t error) {
  return error == platform::kErrorEventLogFileCorrupt ||
         error == platform::kErrorEventLogFileChanged;
}

}  // namespace

LogCursor::LogCursor(platform::EventLog& event_log, int log_index)
    : event_log_(event_log), index_(log_index), name_(kLogNames[log_index]) {}

LogCursor::~LogCursor() {
  CloseLog();
}

void LogCursor::Start() {
  OpenLog();
  if (handle_ == platform::kNoEventLog) {
    TraceFile trace(TraceFile::kFileName);
    trace.Line("Could not open Event Log for ", name_);
    trace.Line("Error is ", last_error_);
  } else if (!ResetPosition()) {
    TraceFile trace(TraceFile::kFileName);
    trace.Line("Could not get log count for ", index_ + 1);
    trace.Line("Error is ", last_error_);
  }
}

void LogCursor::OpenLog() {
  handle_ = event_log_.Open(name_);
  last_error_ = event_log_.LastError();
}

void LogCursor::CloseLog() {
  if (handle_ == platform::kNoEventLog) return;
  event_log_.Close(handle_);
  handle_ = platform::kNoEventLog;
  initialised_ = false;
}

bool LogCursor::ResetPosition() {
  std::uint32_t count = 0;
  const bool counted = event_log_.CountRecords(handle_, &count);
  last_error_ = event_log_.LastError();
  if (!counted) return false;
  std::uint32_t oldest = 0;
  const bool found = event_log_.OldestRecord(handle_, &oldest);
  last_error_ = event_log_.LastError();
  if (!found) return false;
  next_record_ = oldest + count;
  if (next_record_ == 0) next_record_ = 1;
  initialised_ = true;
  return true;
}

bool LogCursor::ReadFromLog(RecordBuffer& record, TraceFile& trace) {
  trace.Line("reading event log ", name_);
  std::uint32_t bytes_read = 0;
  bool read = false;
  for (int attempt = 0; !read; ++attempt) {
    std::memset(record.bytes, 0, sizeof(record.bytes));
    record.length = 0;
    std::uint32_t bytes_needed = 0;
    bytes_read = 0;
    read = event_log_.Read(handle_, kSeekForwards, next_record_, record.bytes, 0, &bytes_read,
                           &bytes_needed);
    if (read) break;

    const std::uint32_t error = event_log_.LastError();
    if (error == platform::kErrorInvalidParameter) {
      trace.Line("tried to read size, but there are no new events to read");
    } else if (error == platform::kErrorHandleEof) {
      trace.Line("tried to read size, looks like it is empty");
    } else {
      trace.Line("tried to read size, status is <", 0, "> and error is <", error, ">");
    }

    if (error == platform::kErrorInsufficientBuffer) {
      trace.Line("read size success: size is ", bytes_needed);
      if (bytes_needed >= RecordBuffer::kSize) {
        trace.Line("size is too big, skipping");
        ++next_record_;
        return false;
      }
      read = event_log_.Read(handle_, kSeekForwards, next_record_, record.bytes, bytes_needed,
                             &bytes_read, &bytes_needed);
      if (read) break;
      const std::uint32_t second = event_log_.LastError();
      trace.Line("tried to read record, status is <", 0, "> and error is <", second, ">");
      if (IsClearedOrDamaged(second)) ReopenLog(trace);
      return false;
    }
    if (IsClearedOrDamaged(error)) {
      ReopenLog(trace);
      return false;
    }
    // Records overwritten before they were read would otherwise be asked for
    // for ever: go on with the oldest one left, and read it at once.
    if (error == platform::kErrorHandleEof || attempt > 0 || !SkipOverwrittenRecords(trace)) {
      return false;
    }
  }

  ++next_record_;
  trace.Line("Read <", bytes_read, "> bytes");
  record.length = std::min(bytes_read, RecordBuffer::kSize);
  return true;
}

void LogCursor::ReopenLog(TraceFile& trace) {
  CloseLog();
  OpenLog();
  if (handle_ == platform::kNoEventLog) {
    trace.Line("failed to reopen log ", name_, " with error ", last_error_);
  }
  if (!ResetPosition()) {
    trace.Line("Could not re-get log count for ", name_);
    trace.Line("Error is ", last_error_);
  }
}

bool LogCursor::SkipOverwrittenRecords(TraceFile& trace) {
  std::uint32_t count = 0;
  std::uint32_t oldest = 0;
  if (!event_log_.CountRecords(handle_, &count) || count == 0 ||
      !event_log_.OldestRecord(handle_, &oldest) || next_record_ >= oldest) {
    return false;
  }
  trace.Line("records ", next_record_, " to ", oldest - 1, " of ", name_,
             " were overwritten before they were read, going on with record ", oldest);
  next_record_ = oldest;
  return true;
}

}  // namespace kivo::eventlog
