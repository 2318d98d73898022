#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/Win32Error.h"

namespace kivo::platform {

class Registry;
class Messages;

// An open event log, as OpenEventLogA hands it out; kNoEventLog when none.
using EventLogHandle = std::uintptr_t;
constexpr EventLogHandle kNoEventLog = 0;

// Read flags of ReadEventLogA.
constexpr std::uint32_t kEventLogSequentialRead = 0x1;
constexpr std::uint32_t kEventLogSeekRead = 0x2;
constexpr std::uint32_t kEventLogForwardsRead = 0x4;

// The machine's event logs (OpenEventLogA and friends on the local machine).
// Every call sets the value that LastError returns, as the platform's calls
// set GetLastError.
class EventLog {
 public:
  virtual ~EventLog() = default;

  // OpenEventLogA(NULL, name): a handle, or kNoEventLog.
  virtual EventLogHandle Open(const std::string& log_name) = 0;
  // GetNumberOfEventLogRecords.
  virtual bool CountRecords(EventLogHandle log, std::uint32_t* count) = 0;
  // GetOldestEventLogRecord.
  virtual bool OldestRecord(EventLogHandle log, std::uint32_t* oldest) = 0;
  // ReadEventLogA(log, flags, record, buffer, size, bytes_read, bytes_needed).
  // The buffer receives whole records in the platform's EVENTLOGRECORD layout,
  // with ANSI strings; when the first record does not fit, the call fails
  // with kErrorInsufficientBuffer and *bytes_needed is its size.
  virtual bool Read(EventLogHandle log, std::uint32_t flags, std::uint32_t record_number,
                    void* buffer, std::uint32_t size, std::uint32_t* bytes_read,
                    std::uint32_t* bytes_needed) = 0;
  // CloseEventLog.
  virtual void Close(EventLogHandle log) = 0;
  // GetLastError right after the last call above.
  virtual std::uint32_t LastError() const = 0;
};

// The event log the program is built with: the platform's own (advapi32) in
// kivo.exe, the one reading .evt files in kivo-evtfile.exe. Each of those two
// libraries defines this function once; a program links exactly one of them.
// The .evt one finds each log's file through `registry` and expands its path
// through `messages`; both must outlive the result.
std::unique_ptr<EventLog> MakeEventLog(Registry& registry, Messages& messages);

}  // namespace kivo::platform
