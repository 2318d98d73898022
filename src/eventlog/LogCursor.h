#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "config/TraceFile.h"
#include "eventlog/LogPositions.h"
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
// in order; it re-opens a log that was cleared or damaged, skips a record too
// big for the platform to read, and moves past records overwritten before
// they were read. A log that is not initialised is not read.
//
// With kept positions (resume), it starts where the last run left off
// instead, and after a re-open goes on where it was: from the oldest record
// when that position is gone (cleared, or overwritten), with a line that
// names the records lost.
class LogCursor {
 public:
  // `log_index` names the log in the log table; `event_log` and `positions`
  // (null without resume) must outlive the cursor.
  LogCursor(platform::EventLog& event_log, int log_index, LogPositions* positions = nullptr);
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

  // Reads the next record into `record` and moves past it. False when there
  // is none yet, when it was skipped, or when the read failed; a failure
  // other than a cleared or damaged log asks for the same record next time.
  bool ReadFromLog(RecordBuffer& record, config::TraceFile& trace);
  // With kept positions: keeps the position after the record read last,
  // once it has been forwarded.
  void KeepPosition();

  bool IsInitialised() const { return initialised_; }
  std::uint32_t next_record() const { return next_record_; }
  int index() const { return index_; }
  const char* name() const { return name_; }

 private:
  // Opens the log (a handle or none).
  void OpenLog();
  // Sets the next record to the one after the newest. False when the log's
  // count or oldest record cannot be had.
  bool ResetPosition();
  // After a cleared or damaged log: open it again at its new end, or with
  // kept positions where reading was.
  void ReopenLog(config::TraceFile& trace);
  // After "no new events": when the log wrapped past the next record, moves
  // on to the oldest record that still exists. True when it moved.
  bool SkipOverwrittenRecords(config::TraceFile& trace);
  // Right after ResetPosition: goes on from `position` while it still leads
  // to the records that followed the one read last; else from the oldest
  // record, and returns the line that names the records lost.
  std::optional<std::string> GoOnFrom(const LogPosition& position);
  std::string OverwrittenLine(std::uint32_t from, std::uint32_t oldest) const;
  // The check value of record `number`; none when it cannot be read.
  std::optional<std::uint32_t> CheckOf(std::uint32_t number);

  platform::EventLog& event_log_;
  const int index_;
  const char* const name_;
  LogPositions* const positions_;
  platform::EventLogHandle handle_ = platform::kNoEventLog;
  std::uint32_t next_record_ = 0;
  // The oldest record there is (the next record of an empty log), as the
  // last ResetPosition found it.
  std::uint32_t first_record_ = 0;
  // The check value of the record before the next one; 0 when unknown. Kept
  // only with kept positions.
  std::uint32_t check_ = 0;
  bool initialised_ = false;
  // The platform's last error, taken after each open and count query, for
  // the trace lines that report them.
  std::uint32_t last_error_ = 0;
};

}  // namespace kivo::eventlog
