#pragma once

#include "platform/EventReporter.h"

namespace kivo::platform {

// The local machine's event log through advapi32's event source functions.
class Win32EventReporter : public EventReporter {
 public:
  Handle RegisterSource(const std::string& source) override;
  bool Report(Handle source, std::uint16_t type, std::uint16_t category, std::uint32_t id,
              const std::vector<std::string>& strings) override;
  void DeregisterSource(Handle source) override;
};

}  // namespace kivo::platform
