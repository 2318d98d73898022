#pragma once

#include <map>
#include <string>
#include <vector>

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
// at once. Records come back as ReadEventLogA returns them: ANSI strings in
// the system's code page (the value "ACP" of kCodePageKey, as Windows keeps
// it; Windows-1252 when there is none), offsets and lengths recomputed.
// Reads seek a record by its number or go on in order (from the oldest
// record on a new handle, after the record read last on a handle that read,
// to the oldest record left when the log wrapped past it).
//
// Errors: kErrorFileNotFound when a log has no file; kErrorHandleEof for an
// empty log, and at the end of a read in order; kErrorInvalidParameter for
// a record number outside the log or other flags; kErrorInsufficientBuffer
// with the bytes needed; kErrorEventLogFileChanged, for good, once the log
// was cleared or replaced since the handle opened it; kErrorEventLogFileCorrupt
// for a file that is not a sound log.
//
// A file carries no generation: a clear is recognised by what the handle
// saw, for records never move in a log that is only appended to. Its numbers
// fell, the newest record the handle saw is not where it was, the same, or
// the record that followed it is not where the handle saw the EOF record (a
// clear that keeps the numbering). Only a log cleared and written again
// with the very same records reads on as if it had not been cleared.
class EvtFileEventLog : public EventLog {
 public:
  static constexpr char kEventLogKey[] = "SYSTEM\\CurrentControlSet\\Services\\EventLog";
  static constexpr char kCodePageKey[] = "SYSTEM\\CurrentControlSet\\Control\\Nls\\CodePage";

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
    std::uint32_t code_page = 0;
    // The log as the handle saw it last, with its newest record and where
    // it lies, to tell a clear from appends.
    bool seen = false;
    bool changed = false;
    evt::LogState seen_state;
    std::uint32_t newest_offset = 0;
    std::vector<unsigned char> newest;
    // Where the record read last lies, so that reading on is not a walk
    // from the oldest record every time.
    bool cached = false;
    std::uint32_t cached_number = 0;
    std::uint32_t cached_offset = 0;
    // Where a read in order goes on, once the handle has read.
    bool placed = false;
    std::uint32_t in_order_next = 0;
  };

  bool Fail(std::uint32_t error);
  OpenLog* Find(EventLogHandle log);
  std::uint32_t AnsiCodePage();
  // Whether `now` can have come from what the handle saw by appends alone.
  static bool Continues(const OpenLog& log, evt::EvtFile& file, const evt::LogState& now);
  // Takes `state` as what the handle saw last.
  static void Saw(OpenLog& log, evt::EvtFile& file, const evt::LogState& state);
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
