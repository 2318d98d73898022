#pragma once

#include <memory>
#include <string>

#include "platform/Registry.h"

namespace kivo::eventlog {

// The registry key of one event source below
// "SYSTEM\CurrentControlSet\Services\EventLog\<log>\<source>", opened for one
// lookup of the modules that hold the source's message texts.
class EventSourceKey {
 public:
  static constexpr char kEventLogPath[] = "SYSTEM\\CurrentControlSet\\Services\\EventLog";
  static constexpr std::uint32_t kValueBufferSize = 2048;

  EventSourceKey(platform::Registry& registry, const std::string& log_name,
                 const std::string& source_name);

  // "EventMessageFile" and "ParameterMessageFile": the value as text, read
  // through a 2048-byte buffer whatever its stored type. A missing key or
  // value, or one longer than 2047 characters, raises
  // config::RegistryReadError.
  std::string GetEventMessageFile() { return ReadValue("EventMessageFile"); }
  std::string GetParameterMessageFile() { return ReadValue("ParameterMessageFile"); }

  platform::RegStatus status() const { return status_; }
  const std::string& path() const { return path_; }

 private:
  std::string ReadValue(const char* value_name);

  std::unique_ptr<platform::RegistryKey> key_;
  platform::RegStatus status_;
  std::string path_;
  char value_[kValueBufferSize];
};

}  // namespace kivo::eventlog
