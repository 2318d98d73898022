#pragma once

#include <cstdint>
#include <string>

#include "platform/Registry.h"
#include "platform/ServiceManager.h"
#include "service/ServiceEventSource.h"

namespace kivo::service {

// Puts the service on the machine and takes it off again: its entry in the
// service control manager (own process, automatic start, local system
// account, this program as what the manager starts) and its event source
// under the Application log, whose message file is this program. Removal
// leaves the event source, so that the messages already logged keep their
// texts.
class ServiceInstaller {
 public:
  ServiceInstaller(platform::ServiceManager& manager, platform::Registry& registry,
                   ServiceEventSource& events, std::string name);

  bool IsInstalled();
  bool Install();
  bool Uninstall();
  // The error of the last failed Install or Uninstall step.
  std::uint32_t last_error() const { return last_error_; }

 private:
  // Records the manager's last error as the reason of a failure.
  bool Fail();

  platform::ServiceManager& manager_;
  platform::Registry& registry_;
  ServiceEventSource& events_;
  const std::string name_;
  std::uint32_t last_error_ = 0;
};

}  // namespace kivo::service
