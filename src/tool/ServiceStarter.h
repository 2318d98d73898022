#pragma once

#include <cstdint>

#include "platform/ServiceManager.h"

namespace kivo::tool {

// Makes sure the forwarding service runs while the tool is open: it asks the
// service control manager once and starts the service when it is installed
// but not running. Nothing is waited for, retried or reported; the handles
// stay open until the starter is destroyed (service first, then manager).
class ServiceStarter {
 public:
  static constexpr char kServiceName[] = "kivo";

  explicit ServiceStarter(platform::ServiceManager& manager);
  ~ServiceStarter();
  ServiceStarter(const ServiceStarter&) = delete;
  ServiceStarter& operator=(const ServiceStarter&) = delete;

  void EnsureRunning();

  // The error of the open that failed, 0 when both opens succeeded. Kept
  // for a debugger; the tool never shows it.
  std::uint32_t last_error() const { return last_error_; }

 private:
  platform::ServiceManager& manager_;
  platform::ServiceManager::Handle database_ = 0;
  platform::ServiceManager::Handle service_ = 0;
  std::uint32_t last_error_ = 0;
};

}  // namespace kivo::tool
