#pragma once

#include <map>
#include <memory>
#include <string>

#include "platform/ServiceControl.h"

namespace kivo::platform {

// An in-memory service control manager: services are installed by the test,
// every open handle is counted so that a test can prove all were closed, and
// a start request moves a stopped service to running at once.
class FakeServiceControl : public ServiceControl {
 public:
  struct InstalledService {
    ServiceState state = ServiceState::kStopped;
    ServiceError query_error = kServiceSuccess;  // non-zero: QueryStatus fails
    int start_requests = 0;
  };

  FakeServiceControl();
  ~FakeServiceControl() override;

  ServiceError Connect(std::uint32_t access, std::unique_ptr<ServiceManager>* manager) override;

  InstalledService& Install(const std::string& name, ServiceState state);
  // Makes every following Connect fail with this error (0 to succeed again).
  void set_connect_error(ServiceError error) { state_->connect_error = error; }
  int open_handles() const { return state_->open_handles; }
  // Names in the order their handles were closed: "manager" or the service's name.
  const std::string& close_log() const { return state_->close_log; }

  struct State {
    ServiceError connect_error = kServiceSuccess;
    std::map<std::string, InstalledService> services;  // by lower-case name
    int open_handles = 0;
    std::string close_log;
  };

 private:
  std::shared_ptr<State> state_;
};

}  // namespace kivo::platform
