#include "platform/win32eventlog/Win32EventLog.h"

#include <windows.h>

namespace kivo::platform {

namespace {
HANDLE AsHandle(EventLogHandle log) {
  return reinterpret_cast<HANDLE>(log);
}
}  // namespace

EventLogHandle Win32EventLog::Open(const std::string& log_name) {
  HANDLE log = OpenEventLogA(nullptr, log_name.c_str());
  last_error_ = GetLastError();
  return reinterpret_cast<EventLogHandle>(log);
}

bool Win32EventLog::CountRecords(EventLogHandle log, std::uint32_t* count) {
  DWORD records = 0;
  const BOOL done = GetNumberOfEventLogRecords(AsHandle(log), &records);
  last_error_ = GetLastError();
  if (done) *count = records;
  return done != FALSE;
}

bool Win32EventLog::OldestRecord(EventLogHandle log, std::uint32_t* oldest) {
  DWORD record = 0;
  const BOOL done = GetOldestEventLogRecord(AsHandle(log), &record);
  last_error_ = GetLastError();
  if (done) *oldest = record;
  return done != FALSE;
}

bool Win32EventLog::Read(EventLogHandle log, std::uint32_t flags, std::uint32_t record_number,
                         void* buffer, std::uint32_t size, std::uint32_t* bytes_read,
                         std::uint32_t* bytes_needed) {
  DWORD read = 0;
  DWORD needed = 0;
  const BOOL done =
      ReadEventLogA(AsHandle(log), flags, record_number, buffer, size, &read, &needed);
  last_error_ = GetLastError();
  *bytes_read = read;
  *bytes_needed = needed;
  return done != FALSE;
}

void Win32EventLog::Close(EventLogHandle log) {
  CloseEventLog(AsHandle(log));
  last_error_ = GetLastError();
}

}  // namespace kivo::platform
