#pragma once

#include <map>
#include <string>

#include "platform/EventLog.h"
#include "platform/Messages.h"
#include "platform/Registry.h"
#include "platform/evtfile/EvtFile.h"

namespace kivo::platform {

// The event log read from classic .evt files, for systems whose event log
// service keeps none (Wine) and for reading backups. Each log's file is named
// by the REG_EXPAND_SZ value "File" of
// HKLM\SYSTEM\CurrentControlSet\Services\EventLog\<log>, as on NT. Files are
// re-read on every call, so records that another process appends are seen
// at once. Records come back as ReadEventLogA returns them: ANSI strings
// (Windows-1252) with offsets and lengths recomputed.
//
// Errors: kErrorFileNotFound when a log has no file; kErrorHandleEof for an
// empty log; kErrorInvalidParameter for a record number outside the log or
// flags other than seek-read forwards; kErrorInsufficientBuffer with the
// bytes needed; kErrorEventLogFileChanged once the log was cleared or
// replaced since it was opened; kErrorEventLogFileCorrupt for a file that is
// not a sound log.
//
// A file carries no generation: a clear is recognised by record numbers that
// fall below those the handle has seen. A log cleared and refilled between
// two calls on a handle, so that its numbers never fell as seen from it,
// reads on as if it had not been cleared.
class EvtFileEventLog : public EventLog {
 public:
  static constexpr char kEventLogKey[] = "SYSTEM\\CurrentControlSet\\Services\\EventLog";

  EvtFileEventLog(Registry& registry, Messages& messages);

  EventLogHandle Open(const std::string& log_name) override;
  bool CountRecords(EventLogHandle log, std::uint32_t* count) override;
  bool OldestRecord(EventLogHandle log, std::uint32_t* oldest) override;
  bool Read(EventLogHandle log, std::uint32_t flags, std::uint32_t record_number, void* buffer,
            std::uint32_t size, std::uint32_t* bytes_read, std::uint32_t* bytes_needed) override;
  void Close(EventLogHandle log) override;
  std::uint32_t LastError() const override { return last_error_; }

  // The expanded path of a log's file; empty when the registry names none.
  std::string LogFilePath(const std::string& log_name);

 private:
  struct OpenLog {
    std::string path;
    // The highest next-record number seen: it only falls when the log was
    // cleared or replaced.
    std::uint32_t seen_current = 0;
    // Where the record read last lies, so that reading on is not a walk
    // from the oldest record every time.
    std::uint32_t cached_number = 0;
    std::uint32_t cached_offset = 0;
  };

  bool Fail(std::uint32_t error);
  OpenLog* Find(EventLogHandle log);
  // The log's state, checked against what the handle saw before.
  bool Load(OpenLog& log, evt::EvtFile& file, evt::LogState* state);
  // The same for the log of a handle, opening its file for the one look.
  bool LoadFor(EventLogHandle handle, evt::LogState* state);
  bool FindRecord(OpenLog& log, evt::EvtFile& file, const evt::LogState& state,
                  std::uint32_t number, std::uint32_t* offset);

  Registry& registry_;
  Messages& messages_;
  std::map<EventLogHandle, OpenLog> logs_;
  EventLogHandle next_handle_ = 1;
  std::uint32_t last_error_ = 0;
};

}  // namespace kivo::platform
