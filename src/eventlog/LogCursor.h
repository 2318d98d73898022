#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "config/TraceFile.h"
#include "eventlog/LogOutage.h"
#include "eventlog/LogPositions.h"
#include "eventlog/RecordNumber.h"
#include "platform/EventLog.h"

namespace kivo::eventlog {

// One raw record as the platform's event log read returns it. One area
// inside the reader, grown to the largest record read so far: no memory is
// allocated per read once it is big enough.
struct RecordBuffer {
  static constexpr std::uint32_t kInitialSize = 8196;
  // The most the platform reads in one call: a record that needs more is
  // skipped.
  static constexpr std::uint32_t kMaxSize = 0x7FFFF;

  std::vector<unsigned char> bytes = std::vector<unsigned char>(kInitialSize);
  std::uint32_t length = 0;  // bytes of the record read last
};

// One event log as the reader follows it: its handle, the number of the next
// record it expects, and whether it is positioned (initialised). Started at
// the log's end, it reads only records written afterwards, one at a time and
// in order; it skips a record too big for the platform to read and moves
// past records overwritten before they were read.
//
// A log that is cleared is read again from its oldest record: everything in
// it was written after the clear. A log whose calls fail (a restarted event
// log service leaves dead handles behind, RPC errors, a damaged file) is
// closed and opened again later (LogOutage), never given up; the position
// is kept across, and the numbers the log then holds tell whether records
// were lost. Where seek reads fail for records that exist, the log is read
// in order instead. Every line that names records lost is written whatever
// "logging" says.
//
// With kept positions (resume), it starts where the last run left off
// instead: from the oldest record when that position is gone (cleared,
// overwritten or damaged), with a line that names the records lost.
class LogCursor {
 public:
  // `log_index` names the log in the log table; `event_log`, `positions`
  // (null without resume) and `services` must outlive the cursor.
  LogCursor(platform::EventLog& event_log, int log_index, LogPositions* positions,
            const CursorServices& services);
  ~LogCursor();
  LogCursor(const LogCursor&) = delete;
  LogCursor& operator=(const LogCursor&) = delete;

  // Opens the log and positions it at its end, or at its kept position. A
  // log that cannot be opened or positioned, and records lost since the
  // kept position, are reported in the trace file whatever "logging" says:
  // they must not go unnoticed.
  void Start();
  // Closes an open log; it is then not initialised.
  void CloseLog();
  // A log that is not initialised is opened again once its time has come.
  // True when it is initialised.
  bool ReopenIfDue(config::TraceFile& trace);

  // Reads the next record into `record` and moves past it. False when there
  // is none yet, when it was skipped, or when the read failed.
  bool ReadFromLog(RecordBuffer& record, config::TraceFile& trace);
  // With kept positions: keeps the position after the record read last,
  // once it has been forwarded.
  void KeepPosition();

  bool IsInitialised() const { return initialised_; }
  int index() const { return index_; }
  const char* name() const { return name_; }
  RecordNumber next_record() const { return next_; }

 private:
  // What a seek read that found no record meant: nothing new yet, records
  // overwritten (the next record is the oldest now), a record that exists
  // all the same, or a log that failed.
  enum class NotFound { kNothingNew, kMoved, kExists, kFailed };

  void OpenLog();
  // Record count and oldest record number; false when either call fails,
  // with the platform's error in last_error_.
  bool Query(std::uint32_t* count, std::uint32_t* oldest);
  // Sets the next record to the one after the newest; an empty log is read
  // from whatever record it gets first. False when the log's count or
  // oldest record cannot be had.
  bool ResetPosition();
  // Whether a seek read finds the record (a read that fails otherwise than
  // with "no such record" counts as found).
  bool Exists(RecordNumber number);
  // True when a read finds the log empty (end of file).
  bool StillEmpty();
  // Closes and opens the log again, positioned where reading was: after a
  // clear at its oldest record. False when it failed.
  bool Reopen(config::TraceFile& trace, bool cleared);
  // Right after ResetPosition: goes on from where reading was, or (the first
  // time) from the kept position.
  void GoOn(const std::optional<LogPosition>& was, bool cleared);
  // Right after ResetPosition: goes on from `position` while it still leads
  // to the records that followed the one read last; else from the oldest
  // record, naming the records lost.
  void GoOnFrom(const LogPosition& position, bool cleared);
  // Reading goes on with the oldest record, which is first_: after a clear
  // the lines name what the clear took from where reading was.
  void TakeOldest();
  // A log that was empty may have records now: reading starts with its
  // oldest. False when the log failed.
  bool FindOldest();
  NotFound AfterNotFound();
  // Reads the next record of a log whose seek reads fail, in order from the
  // handle's place, skipping those before the next record.
  bool ReadInOrder(RecordBuffer& record, config::TraceFile& trace);
  // A record read: moves past it.
  void Delivered(RecordBuffer& record, std::uint32_t bytes_read, config::TraceFile& trace);
  // A call failed with `error`: the log is closed and opened again later.
  void Failed(std::uint32_t error);
  // Names the records from `from` to the one before `oldest` as lost (how
  // they went) and goes on with `oldest`.
  void LostUpTo(RecordNumber from, RecordNumber oldest, const char* how);
  // The check value of record `number`; none when it cannot be read.
  std::optional<std::uint32_t> CheckOf(RecordNumber number);

  platform::EventLog& event_log_;
  const int index_;
  const char* const name_;
  LogPositions* const positions_;
  LogOutage outage_;
  platform::EventLogHandle handle_ = platform::kNoEventLog;
  RecordNumber next_;
  // The oldest record there is, as the last ResetPosition found it.
  RecordNumber first_;
  // The log was empty: the next record is its oldest, whatever its number
  // (record numbers go on after a clear on some systems).
  bool at_oldest_ = false;
  // Where reading was when the log was found cleared and empty: what was
  // lost shows once its first record is there.
  std::optional<RecordNumber> cleared_at_;
  // The check value of the record before the next one; 0 when unknown.
  std::uint32_t check_ = 0;
  bool initialised_ = false;
  // Whether the log was ever positioned: it then keeps its place across
  // reopens.
  bool positioned_ = false;
  // Seek reads failed for a record that exists: the log is read in order.
  bool in_order_ = false;
  // Records read in order and not handed out yet.
  std::vector<unsigned char> batch_;
  std::size_t batch_at_ = 0;
  // The platform's last error, taken after each open and count query, for
  // the trace lines that report them.
  std::uint32_t last_error_ = 0;
};

}  // namespace kivo::eventlog
