#pragma once

#include <memory>

#include "platform/ServiceControl.h"

namespace kivo::tool {

// Makes sure the forwarding service runs while the tool is open: it asks the
// service control manager once and starts the service when it is installed
// but not running. Nothing is waited for, retried or reported; the handles
// stay open until the starter is destroyed (service first, then manager).
class ServiceStarter {
 public:
  static constexpr char kServiceName[] = "kivo";

  explicit ServiceStarter(platform::ServiceControl& control);
  ~ServiceStarter();
  ServiceStarter(const ServiceStarter&) = delete;
  ServiceStarter& operator=(const ServiceStarter&) = delete;

  void EnsureRunning();

  // The error of the open that failed, 0 when both opens succeeded. Kept
  // for a debugger; the tool never shows it.
  platform::ServiceError last_error() const { return last_error_; }

 private:
  platform::ServiceControl& control_;
  // Declared in this order so that the service handle closes first.
  std::unique_ptr<platform::ServiceManager> manager_;
  std::unique_ptr<platform::Service> service_;
  platform::ServiceError last_error_ = platform::kServiceSuccess;
};

}  // namespace kivo::tool
