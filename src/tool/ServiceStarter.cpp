#include "tool/ServiceStarter.h"

namespace kivo::tool {

using platform::ServiceManager;

ServiceStarter::ServiceStarter(ServiceManager& manager) : manager_(manager) {}

ServiceStarter::~ServiceStarter() {
  if (service_ != 0) manager_.Close(service_);
  if (database_ != 0) manager_.Close(database_);
}

void ServiceStarter::EnsureRunning() {
  database_ = manager_.OpenManager(ServiceManager::kManagerConnectOnly);
  if (database_ != 0) service_ = manager_.Open(database_, kServiceName, ServiceManager::kAllAccess);
  if (service_ == 0) {
    last_error_ = manager_.LastError();
    return;
  }
  ServiceManager::Status status;
  const bool running =
      manager_.QueryStatus(service_, &status) && status.current_state == ServiceManager::kRunning;
  if (!running) manager_.Start(service_);  // a failed start is not the tool's concern
}

}  // namespace kivo::tool
