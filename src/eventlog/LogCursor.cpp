#include "eventlog/LogCursor.h"

#include <algorithm>
#include <string>

#include "eventlog/LogTable.h"

namespace kivo::eventlog {

using config::TraceFile;

namespace {

constexpr std::uint32_t kSeekForwards =
    platform::kEventLogSeekRead | platform::kEventLogForwardsRead;
constexpr std::uint32_t kInOrderForwards =
    platform::kEventLogSequentialRead | platform::kEventLogForwardsRead;
// What one read in order asks for: as many records as fit.
constexpr std::uint32_t kBatchSize = 0x10000;
// The part of a record's fixed head up to its number.
constexpr std::uint32_t kHeadSize = 12;

std::string Number(RecordNumber number) {
  return std::to_string(number.value());
}

std::uint32_t Load32(const unsigned char* p) {
  return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
         static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

// Records lost must not go unnoticed: their lines are written whatever
// "logging" says.
void TraceLost(const std::string& line) {
  TraceFile(TraceFile::kFileName).Line(line);
}

}  // namespace

LogCursor::LogCursor(platform::EventLog& event_log, int log_index, LogPositions* positions,
                     const CursorServices& services)
    : event_log_(event_log),
      index_(log_index),
      name_(kLogNames[log_index]),
      positions_(positions),
      outage_(name_, services) {}

LogCursor::~LogCursor() {
  CloseLog();
}

void LogCursor::Start() {
  OpenLog();
  if (handle_ == platform::kNoEventLog) {
    TraceFile trace(TraceFile::kFileName);
    trace.Line("Could not open Event Log for ", name_);
    trace.Line("Error is ", last_error_);
    Failed(last_error_);
  } else if (!ResetPosition()) {
    TraceFile trace(TraceFile::kFileName);
    trace.Line("Could not get log count for ", index_ + 1);
    trace.Line("Error is ", last_error_);
    Failed(last_error_);
  } else {
    GoOn(std::nullopt, false);
  }
}

void LogCursor::OpenLog() {
  handle_ = event_log_.Open(name_);
  last_error_ = event_log_.LastError();
}

void LogCursor::CloseLog() {
  in_order_ = false;
  batch_.clear();
  batch_at_ = 0;
  initialised_ = false;
  if (handle_ == platform::kNoEventLog) return;
  event_log_.Close(handle_);
  handle_ = platform::kNoEventLog;
}

void LogCursor::Failed(std::uint32_t error) {
  CloseLog();
  outage_.Failed(error);
}

bool LogCursor::ReopenIfDue(TraceFile& trace) {
  return initialised_ || (outage_.Due() && Reopen(trace, false));
}

bool LogCursor::Query(std::uint32_t* count, std::uint32_t* oldest) {
  const bool counted = event_log_.CountRecords(handle_, count);
  last_error_ = event_log_.LastError();
  if (!counted) return false;
  const bool found = event_log_.OldestRecord(handle_, oldest);
  last_error_ = event_log_.LastError();
  return found;
}

bool LogCursor::ResetPosition() {
  for (int tries = 1;; ++tries) {
    std::uint32_t count = 0;
    std::uint32_t oldest = 0;
    if (!Query(&count, &oldest)) return false;
    at_oldest_ = count == 0;
    first_ = RecordNumber(at_oldest_ ? 1 : oldest);
    next_ = first_ + count;
    // Count and oldest come from two calls: a wrap between them names an
    // end past the real one, and the records up to it would be skipped
    // unseen. A read of the newest record they name shows it.
    if (at_oldest_ || tries == 3 || Exists(next_ - 1)) break;
  }
  check_ = 0;
  initialised_ = true;
  return true;
}

bool LogCursor::Exists(RecordNumber number) {
  unsigned char probe = 0;
  std::uint32_t bytes_read = 0;
  std::uint32_t bytes_needed = 0;
  return event_log_.Read(handle_, kSeekForwards, number.value(), &probe, 0, &bytes_read,
                         &bytes_needed) ||
         event_log_.LastError() != platform::kErrorInvalidParameter;
}

bool LogCursor::StillEmpty() {
  unsigned char probe = 0;
  std::uint32_t bytes_read = 0;
  std::uint32_t bytes_needed = 0;
  return !event_log_.Read(handle_, kSeekForwards, next_.value(), &probe, 0, &bytes_read,
                          &bytes_needed) &&
         event_log_.LastError() == platform::kErrorHandleEof;
}

bool LogCursor::Reopen(TraceFile& trace, bool cleared) {
  std::optional<LogPosition> was;
  if (positioned_) was = LogPosition{next_.value(), check_};
  const bool was_at_oldest = at_oldest_;
  CloseLog();
  OpenLog();
  if (handle_ == platform::kNoEventLog) {
    trace.Line("failed to reopen log ", name_, " with error ", last_error_);
    Failed(last_error_);
    return false;
  }
  if (!ResetPosition()) {
    trace.Line("Could not re-get log count for ", name_);
    trace.Line("Error is ", last_error_);
    Failed(last_error_);
    return false;
  }
  if (!was_at_oldest) {
    GoOn(was, cleared);
  } else if (!at_oldest_) {
    TakeOldest();  // the log that was empty has records now: all are new
  }
  return true;
}

void LogCursor::GoOn(const std::optional<LogPosition>& was, bool cleared) {
  const bool first_time = !positioned_;
  positioned_ = true;
  if (was) {
    GoOnFrom(*was, cleared);
    return;
  }
  if (positions_ == nullptr || !first_time) return;
  const KeptPosition kept = positions_->Load(name_);
  if (!kept.damage.empty()) {
    // Nothing written since can be told from what was read: all of it is sent.
    TraceLost("the kept position of " + std::string(name_) + " is damaged (" + kept.damage +
              "), going on with record " + Number(first_));
    next_ = first_;
  } else if (kept.position) {
    GoOnFrom(*kept.position, false);
  }
  // Kept at once, with the check of the record before it, so that a run
  // that forwards nothing still leaves the next start a position to check.
  // An empty log holds no number yet: a position kept before stays.
  if (check_ == 0 && !at_oldest_ && next_ != first_) check_ = CheckOf(next_ - 1).value_or(0);
  if (!at_oldest_ || !kept.position) positions_->Save(name_, {next_.value(), check_});
}

void LogCursor::GoOnFrom(const LogPosition& position, bool cleared) {
  const RecordNumber from(position.next_record);
  if (cleared || at_oldest_) {
    // Everything in a cleared log was written after the clear; a log that
    // is empty was cleared too (logs do not empty otherwise). Whether
    // records were lost shows with the oldest record.
    cleared_at_ = from;
    if (!at_oldest_) TakeOldest();
    return;
  }
  if (from.Before(first_)) {
    LostUpTo(from, first_, "overwritten");
    return;
  }
  // A position past the newest record, or one whose record before it is not
  // the one read last, belongs to a log that was cleared since.
  bool gone = from.After(next_);
  if (!gone && from != first_ && position.check != 0) {
    const std::optional<std::uint32_t> check = CheckOf(from - 1);
    gone = check.has_value() && *check != position.check;
  }
  if (gone) {
    cleared_at_ = from;
    TakeOldest();
  } else {
    next_ = from;
    check_ = position.check;
  }
}

void LogCursor::TakeOldest() {
  at_oldest_ = false;
  next_ = first_;
  check_ = 0;
  const std::optional<RecordNumber> at = cleared_at_;
  cleared_at_.reset();
  if (!at || *at == first_) return;
  if (first_.After(*at)) {
    // Numbered on from before the clear: the records before the oldest.
    LostUpTo(*at, first_, "cleared");
  } else {
    TraceLost("records from " + Number(*at) + " on of " + name_ +
              " were cleared before they were read, going on with record " + Number(first_));
  }
}

void LogCursor::LostUpTo(RecordNumber from, RecordNumber oldest, const char* how) {
  TraceLost("records " + Number(from) + " to " + Number(oldest - 1) + " of " + name_ + " were " +
            how + " before they were read, going on with record " + Number(oldest));
  next_ = oldest;
  check_ = 0;
}

bool LogCursor::FindOldest() {
  std::uint32_t count = 0;
  std::uint32_t oldest = 0;
  if (!Query(&count, &oldest)) {
    Failed(last_error_);
    return false;
  }
  if (count > 0) {
    first_ = RecordNumber(oldest);
    TakeOldest();
  }
  return true;
}

bool LogCursor::ReadFromLog(RecordBuffer& record, TraceFile& trace) {
  trace.Line("reading event log ", name_);
  if (in_order_) return ReadInOrder(record, trace);
  if (at_oldest_) {
    // A log that was empty: while a read finds it empty still, it is not
    // asked for its count and oldest record (two more calls per fetch).
    if (StillEmpty()) {
      trace.Line("tried to read size, looks like it is empty");
      outage_.Worked();
      return false;
    }
    if (!FindOldest()) return false;
  }
  // Asked again at once after a clear, or when the record is not found; a
  // few times at most.
  int misses = 0;
  for (int attempt = 0; attempt < 4; ++attempt) {
    record.length = 0;
    std::uint32_t bytes_read = 0;
    std::uint32_t bytes_needed = 0;
    bool read = event_log_.Read(handle_, kSeekForwards, next_.value(), record.bytes.data(), 0,
                                &bytes_read, &bytes_needed);
    std::uint32_t error = read ? 0 : event_log_.LastError();
    if (error == platform::kErrorInvalidParameter) {
      trace.Line("tried to read size, but there are no new events to read");
    } else if (error == platform::kErrorHandleEof) {
      trace.Line("tried to read size, looks like it is empty");
    } else if (!read) {
      trace.Line("tried to read size, status is <", 0, "> and error is <", error, ">");
    }

    if (error == platform::kErrorInsufficientBuffer) {
      trace.Line("read size success: size is ", bytes_needed);
      if (bytes_needed > RecordBuffer::kMaxSize) {
        trace.Line("size is too big, skipping");
        ++next_;
        check_ = 0;
        outage_.Worked();
        return false;
      }
      // Zeroed as far as this read may fill it: the probe fills nothing, and
      // the buffer, once grown, may be far longer than the records that
      // follow.
      if (bytes_needed > record.bytes.size()) record.bytes.resize(bytes_needed);
      std::fill_n(record.bytes.begin(), bytes_needed, 0);
      read = event_log_.Read(handle_, kSeekForwards, next_.value(), record.bytes.data(),
                             bytes_needed, &bytes_read, &bytes_needed);
      if (!read) {
        error = event_log_.LastError();
        trace.Line("tried to read record, status is <", 0, "> and error is <", error, ">");
      }
    }
    if (read) {
      Delivered(record, bytes_read, trace);
      return true;
    }

    switch (error) {
      case platform::kErrorHandleEof:
        outage_.Worked();
        return false;
      case platform::kErrorInsufficientBuffer:  // the record changed between the two reads
        return false;
      case platform::kErrorEventLogFileChanged:  // cleared: read on in the new log
        if (!Reopen(trace, true)) return false;
        continue;
      case platform::kErrorInvalidParameter:
        switch (AfterNotFound()) {
          case NotFound::kMoved:
            continue;
          case NotFound::kExists:
            // Written between the read and the count, or a log whose seek
            // reads fail for records that exist (large logs on some
            // systems): missed twice, it is read in order from then on.
            if (++misses < 2) continue;
            TraceLost("record " + Number(next_) + " of " + name_ +
                      " cannot be read by its number (error 87), reading " + name_ + " in order");
            in_order_ = true;
            return ReadInOrder(record, trace);
          case NotFound::kNothingNew:
            outage_.Worked();
            return false;
          case NotFound::kFailed:
            return false;
        }
        return false;
      default:
        Failed(error);
        return false;
    }
  }
  return false;
}

LogCursor::NotFound LogCursor::AfterNotFound() {
  std::uint32_t count = 0;
  std::uint32_t oldest = 0;
  if (!Query(&count, &oldest)) {
    Failed(last_error_);
    return NotFound::kFailed;
  }
  const RecordNumber first(oldest);
  if (count == 0) return NotFound::kNothingNew;
  if (next_.Within(first, count)) return NotFound::kExists;
  // Records overwritten before they were read would otherwise be asked for
  // for ever: go on with the oldest one left, and read it at once.
  if (next_.Before(first)) {
    LostUpTo(next_, first, "overwritten");
    return NotFound::kMoved;
  }
  return NotFound::kNothingNew;
}

bool LogCursor::ReadInOrder(RecordBuffer& record, TraceFile& trace) {
  while (true) {
    if (batch_at_ >= batch_.size()) {
      batch_.resize(kBatchSize);
      std::uint32_t bytes_read = 0;
      std::uint32_t bytes_needed = 0;
      bool read = event_log_.Read(handle_, kInOrderForwards, 0, batch_.data(), kBatchSize,
                                  &bytes_read, &bytes_needed);
      if (!read && event_log_.LastError() == platform::kErrorInsufficientBuffer &&
          bytes_needed <= RecordBuffer::kMaxSize) {
        batch_.resize(bytes_needed);
        read = event_log_.Read(handle_, kInOrderForwards, 0, batch_.data(), bytes_needed,
                               &bytes_read, &bytes_needed);
      }
      batch_at_ = 0;
      if (!read) {
        const std::uint32_t error = event_log_.LastError();
        batch_.clear();
        trace.Line("tried to read in order, error is <", error, ">");
        if (error == platform::kErrorHandleEof) {
          outage_.Worked();
        } else if (error == platform::kErrorEventLogFileChanged) {
          Reopen(trace, true);
        } else {
          Failed(error);
        }
        return false;
      }
      batch_.resize(std::min<std::size_t>(bytes_read, batch_.size()));
    }
    const unsigned char* at = batch_.data() + batch_at_;
    const std::size_t left = batch_.size() - batch_at_;
    const std::uint32_t length = left >= kHeadSize ? Load32(at) : 0;
    if (length < kHeadSize || length > left) {
      Failed(platform::kErrorEventLogFileCorrupt);
      return false;
    }
    batch_at_ += length;
    const RecordNumber number(Load32(at + 8));
    if (number.Before(next_)) continue;  // read before
    // A record newer than the next one: the log wrapped past it.
    if (number.After(next_)) LostUpTo(next_, number, "overwritten");
    if (length > record.bytes.size()) record.bytes.resize(length);
    std::copy_n(at, length, record.bytes.begin());
    Delivered(record, length, trace);
    return true;
  }
}

void LogCursor::Delivered(RecordBuffer& record, std::uint32_t bytes_read, TraceFile& trace) {
  ++next_;
  trace.Line("Read <", bytes_read, "> bytes");
  record.length = std::min(bytes_read, static_cast<std::uint32_t>(record.bytes.size()));
  check_ = RecordCheck(record.bytes.data(), record.length);
  outage_.Worked();
}

void LogCursor::KeepPosition() {
  if (positions_ != nullptr && initialised_ && !at_oldest_) {
    positions_->Save(name_, {next_.value(), check_});
  }
}

std::optional<std::uint32_t> LogCursor::CheckOf(RecordNumber number) {
  // Read as the reader reads: the size first, then exactly one record.
  unsigned char probe = 0;
  std::uint32_t bytes_read = 0;
  std::uint32_t bytes_needed = 0;
  if (event_log_.Read(handle_, kSeekForwards, number.value(), &probe, 0, &bytes_read,
                      &bytes_needed) ||
      event_log_.LastError() != platform::kErrorInsufficientBuffer ||
      bytes_needed > RecordBuffer::kMaxSize) {
    return std::nullopt;
  }
  std::vector<unsigned char> bytes(bytes_needed);
  if (!event_log_.Read(handle_, kSeekForwards, number.value(), bytes.data(), bytes_needed,
                       &bytes_read, &bytes_needed)) {
    return std::nullopt;
  }
  return RecordCheck(bytes.data(), std::min(bytes_read, static_cast<std::uint32_t>(bytes.size())));
}

}  // namespace kivo::eventlog
