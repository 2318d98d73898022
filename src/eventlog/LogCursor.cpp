#include "eventlog/LogCursor.h"

#include <algorithm>
#include <string>

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

LogCursor::LogCursor(platform::EventLog& event_log, int log_index, LogPositions* positions)
    : event_log_(event_log),
      index_(log_index),
      name_(kLogNames[log_index]),
      positions_(positions) {}

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
  } else if (positions_ != nullptr) {
    const KeptPosition kept = positions_->Load(name_);
    std::optional<std::string> lost;
    if (!kept.damage.empty()) {
      // Nothing written since can be told from what was read: all of it is sent.
      lost = "the kept position of " + std::string(name_) + " is damaged (" + kept.damage +
             "), going on with record " + std::to_string(first_record_);
      next_record_ = first_record_;
    } else if (kept.position) {
      lost = GoOnFrom(*kept.position);
    }
    if (lost) TraceFile(TraceFile::kFileName).Line(*lost);
    // Kept at once, with the check of the record before it, so that a run
    // that forwards nothing still leaves the next start a position to check.
    if (check_ == 0 && next_record_ > first_record_) {
      check_ = CheckOf(next_record_ - 1).value_or(0);
    }
    KeepPosition();
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
  first_record_ = count == 0 ? next_record_ : oldest;
  check_ = 0;
  initialised_ = true;
  return true;
}

bool LogCursor::ReadFromLog(RecordBuffer& record, TraceFile& trace) {
  trace.Line("reading event log ", name_);
  std::uint32_t bytes_read = 0;
  bool read = false;
  for (int attempt = 0; !read; ++attempt) {
    record.length = 0;
    std::uint32_t bytes_needed = 0;
    bytes_read = 0;
    read = event_log_.Read(handle_, kSeekForwards, next_record_, record.bytes.data(), 0,
                           &bytes_read, &bytes_needed);
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
      if (bytes_needed > RecordBuffer::kMaxSize) {
        trace.Line("size is too big, skipping");
        ++next_record_;
        check_ = 0;
        return false;
      }
      // Zeroed as far as this read may fill it: the probe fills nothing, and
      // the buffer, once grown, may be far longer than the records that
      // follow.
      if (bytes_needed > record.bytes.size()) record.bytes.resize(bytes_needed);
      std::fill_n(record.bytes.begin(), bytes_needed, 0);
      read = event_log_.Read(handle_, kSeekForwards, next_record_, record.bytes.data(),
                             bytes_needed, &bytes_read, &bytes_needed);
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
  record.length = std::min(bytes_read, static_cast<std::uint32_t>(record.bytes.size()));
  if (positions_ != nullptr) check_ = RecordCheck(record.bytes.data(), record.length);
  return true;
}

void LogCursor::KeepPosition() {
  if (positions_ != nullptr && initialised_) positions_->Save(name_, {next_record_, check_});
}

void LogCursor::ReopenLog(TraceFile& trace) {
  const LogPosition was{next_record_, check_};
  CloseLog();
  OpenLog();
  if (handle_ == platform::kNoEventLog) {
    trace.Line("failed to reopen log ", name_, " with error ", last_error_);
  }
  if (!ResetPosition()) {
    trace.Line("Could not re-get log count for ", name_);
    trace.Line("Error is ", last_error_);
  } else if (positions_ != nullptr) {
    // Written whatever "logging" says, as at the start: records lost must
    // not go unnoticed.
    if (const std::optional<std::string> lost = GoOnFrom(was)) {
      TraceFile(TraceFile::kFileName).Line(*lost);
    }
  }
}

bool LogCursor::SkipOverwrittenRecords(TraceFile& trace) {
  std::uint32_t count = 0;
  std::uint32_t oldest = 0;
  if (!event_log_.CountRecords(handle_, &count) || count == 0 ||
      !event_log_.OldestRecord(handle_, &oldest) || next_record_ >= oldest) {
    return false;
  }
  trace.Line(OverwrittenLine(next_record_, oldest));
  next_record_ = oldest;
  check_ = 0;
  return true;
}

std::string LogCursor::OverwrittenLine(std::uint32_t from, std::uint32_t oldest) const {
  return "records " + std::to_string(from) + " to " + std::to_string(oldest - 1) + " of " + name_ +
         " were overwritten before they were read, going on with record " + std::to_string(oldest);
}

std::optional<std::string> LogCursor::GoOnFrom(const LogPosition& position) {
  const std::uint32_t from = position.next_record;
  std::optional<std::string> lost;
  if (from < first_record_) {
    lost = OverwrittenLine(from, first_record_);
  } else {
    // A position past the newest record, or one whose record before it is
    // not the one read last, belongs to a log that was cleared since.
    bool cleared = from > next_record_;
    if (!cleared && from > first_record_ && position.check != 0) {
      const std::optional<std::uint32_t> check = CheckOf(from - 1);
      cleared = check.has_value() && *check != position.check;
    }
    if (!cleared) {
      next_record_ = from;
      check_ = position.check;
      return std::nullopt;
    }
    lost = "records from " + std::to_string(from) + " on of " + name_ +
           " were cleared before they were read, going on with record " +
           std::to_string(first_record_);
  }
  next_record_ = first_record_;
  check_ = 0;
  return lost;
}

std::optional<std::uint32_t> LogCursor::CheckOf(std::uint32_t number) {
  // Read as the reader reads: the size first, then exactly one record.
  unsigned char probe = 0;
  std::uint32_t bytes_read = 0;
  std::uint32_t bytes_needed = 0;
  if (event_log_.Read(handle_, kSeekForwards, number, &probe, 0, &bytes_read, &bytes_needed) ||
      event_log_.LastError() != platform::kErrorInsufficientBuffer ||
      bytes_needed > RecordBuffer::kMaxSize) {
    return std::nullopt;
  }
  std::vector<unsigned char> bytes(bytes_needed);
  if (!event_log_.Read(handle_, kSeekForwards, number, bytes.data(), bytes_needed, &bytes_read,
                       &bytes_needed)) {
    return std::nullopt;
  }
  return RecordCheck(bytes.data(), std::min(bytes_read, static_cast<std::uint32_t>(bytes.size())));
}

}  // namespace kivo::eventlog
