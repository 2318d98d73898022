#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kivo::platform {

// Reporting events about the program itself to the local machine's event log
// under an event source (advapi32). Handles are opaque; 0 is none.
class EventReporter {
 public:
  using Handle = std::uintptr_t;

  static constexpr std::uint16_t kError = 0x1;        // EVENTLOG_ERROR_TYPE
  static constexpr std::uint16_t kWarning = 0x2;      // EVENTLOG_WARNING_TYPE
  static constexpr std::uint16_t kInformation = 0x4;  // EVENTLOG_INFORMATION_TYPE

  virtual ~EventReporter() = default;

  // RegisterEventSourceA(NULL, source); 0 on failure.
  virtual Handle RegisterSource(const std::string& source) = 0;
  // ReportEventA(handle, type, category, id, no user SID, strings, no data).
  virtual bool Report(Handle source, std::uint16_t type, std::uint16_t category, std::uint32_t id,
                      const std::vector<std::string>& strings) = 0;
  // DeregisterEventSource(handle).
  virtual void DeregisterSource(Handle source) = 0;
};

}  // namespace kivo::platform
