#include "tool/ServiceStarter.h"

namespace kivo::tool {

using platform::ServiceError;
using platform::ServiceState;

ServiceStarter::ServiceStarter(platform::ServiceControl& control) : control_(control) {}

ServiceStarter::~ServiceStarter() {
  service_.reset();
  manager_.reset();
}

void ServiceStarter::EnsureRunning() {
  last_error_ = control_.Connect(platform::service_access::kManagerConnectOnly, &manager_);
  if (manager_) {
    last_error_ = manager_->Open(kServiceName, platform::service_access::kServiceAll, &service_);
  }
  if (!service_) return;
  platform::ServiceStatus status;
  const bool running = service_->QueryStatus(&status) == platform::kServiceSuccess &&
                       status.current_state == ServiceState::kRunning;
  if (!running) service_->Start();  // a failed start is not the tool's concern
}

}  // namespace kivo::tool
