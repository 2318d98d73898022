#pragma once

#include "platform/EventLog.h"

namespace kivo::platform {

// The machine's event logs through advapi32.
class Win32EventLog : public EventLog {
 public:
  EventLogHandle Open(const std::string& log_name) override;
  bool CountRecords(EventLogHandle log, std::uint32_t* count) override;
  bool OldestRecord(EventLogHandle log, std::uint32_t* oldest) override;
  bool Read(EventLogHandle log, std::uint32_t flags, std::uint32_t record_number, void* buffer,
            std::uint32_t size, std::uint32_t* bytes_read, std::uint32_t* bytes_needed) override;
  void Close(EventLogHandle log) override;
  std::uint32_t LastError() const override { return last_error_; }

 private:
  std::uint32_t last_error_ = 0;
};

}  // namespace kivo::platform
