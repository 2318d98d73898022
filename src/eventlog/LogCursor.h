#pragma once

#include <cstdint>

#include "config/TraceFile.h"
#include "platform/EventLog.h"

namespace kivo::eventlog {

// One raw record as the platform's event log read returns it. One fixed area
// inside the reader: no memory is allocated per read.
struct RecordBuffer {
  static constexpr std::uint32_t kSize = 8196;
  unsigned char bytes[kSize] = {};
  std::uint32_t length = 0;  // bytes of the record read last
};

// One event log as the reader follows it: its handle, the number of the next
// record it expects, and whether it is positioned (initialised). Started at
// the log's end, it reads only records written afterwards, one at a time and
// in order; it re-opens a log that was cleared or damaged, skips a record too
// big for the buffer, and moves past records overwritten before they were
// read. A log that is not initialised is not read.
class LogCursor {
 public:
  // `log_index` names the log in the log table; `event_log` must outlive
  // the cursor.
  LogCursor(platform::EventLog& event_log, int log_index);
  ~LogCursor();
  LogCursor(const LogCursor&) = delete;
  LogCursor& operator=(const LogCursor&) = delete;

  // Opens the log and positions it at its end. A log that cannot be opened
  // or positioned is reported in the trace file whatever "logging" says: a
  // log that is never read must not go unnoticed.
  void Start();
  // Closes an open log; it is then not initialised.
  void CloseLog();

  // Reads the next record into `record` and moves past it. False when there
  // is none yet, when it was skipped, or when the read failed; a failure
  // other than a cleared or damaged log asks for the same record next time.
  bool ReadFromLog(RecordBuffer& record, config::TraceFile& trace);

  bool IsInitialised() const { return initialised_; }
  int index() const { return index_; }
  const char* name() const { return name_; }

 private:
  // Opens the log (a handle or none).
  void OpenLog();
  // Sets the next record to the one after the newest. False when the log's
  // count or oldest record cannot be had.
  bool ResetPosition();
  // After a cleared or damaged log: open it again at its new end.
  void ReopenLog(config::TraceFile& trace);
  // After "no new events": when the log wrapped past the next record, moves
  // on to the oldest record that still exists. True when it moved.
  bool SkipOverwrittenRecords(config::TraceFile& trace);

  platform::EventLog& event_log_;
  const int index_;
  const char* const name_;
  platform::EventLogHandle handle_ = platform::kNoEventLog;
  std::uint32_t next_record_ = 0;
  bool initialised_ = false;
  // The platform's last error, taken after each open and count query, for
  // the trace lines that report them.
  std::uint32_t last_error_ = 0;
};

}  // namespace kivo::eventlog
