#include "service/ServiceRuntime.h"

#include <utility>

#include "service/ServiceHost.h"

namespace kivo::service {

using platform::EventReporter;
using platform::ServiceManager;

ServiceRuntime::ServiceRuntime(ServiceHost& host, ServiceManager& manager,
                               ServiceEventSource& events, std::string name)
    : host_(host), manager_(manager), events_(events), name_(std::move(name)) {
  status_.service_type = ServiceManager::kOwnProcess;
  status_.current_state = ServiceManager::kStopped;
  status_.controls_accepted = ServiceManager::kAcceptStop;
}

void ServiceRuntime::StartDispatcher() {
  manager_.StartDispatcher(name_, &ServiceHost::ServiceMain);
}

void ServiceRuntime::RunService() {
  {
    std::lock_guard<std::mutex> lock(status_mutex_);
    status_.current_state = ServiceManager::kStartPending;
  }
  status_handle_ = manager_.RegisterControlHandler(name_, &ServiceHost::ControlHandler);
  if (status_handle_ == 0) {
    events_.Report(EventReporter::kError, messages::kNoControlHandler);
    return;
  }
  // Raised before the running report goes out: a stop that the manager sends
  // the moment it sees "running" must find the flag set, or clearing it
  // would be undone here and the service would never stop.
  running_ = 1;
  if (Initialize()) {
    SetExitCode(0);
    RunWork();
  } else {
    running_ = 0;
  }
  SetState(ServiceManager::kStopped);
}

void ServiceRuntime::RunWork() {
  try {
    host_.Work();
  } catch (...) {
    // A failure the work did not handle must not take the process down from
    // the manager's thread: the service reports itself stopped, with the
    // platform's code for a service that failed that way.
    running_ = 0;
    SetExitCode(platform::kErrorExceptionInService);
  }
}

bool ServiceRuntime::Initialize() {
  SetState(ServiceManager::kStartPending);
  const bool prepared = host_.Prepare();
  SetExitCode(manager_.LastError());
  if (!prepared) {
    events_.Report(EventReporter::kError, messages::kInitializationFailed);
    SetState(ServiceManager::kStopped);
    return false;
  }
  events_.Report(EventReporter::kInformation, messages::kStarted);
  SetState(ServiceManager::kRunning);
  return true;
}

void ServiceRuntime::SetExitCode(std::uint32_t code) {
  std::lock_guard<std::mutex> lock(status_mutex_);
  status_.win32_exit_code = code;
  status_.check_point = 0;
  status_.wait_hint = 0;
}

void ServiceRuntime::SetState(std::uint32_t state) {
  {
    std::lock_guard<std::mutex> lock(status_mutex_);
    status_.current_state = state;
  }
  ReportStatus();
}

void ServiceRuntime::ReportStatus() {
  const ServiceManager::Status snapshot = status();
  // Reported outside the lock: the manager may call the control handler
  // while the report is on its way.
  manager_.SetStatus(status_handle_, snapshot);
}

ServiceManager::Status ServiceRuntime::status() const {
  std::lock_guard<std::mutex> lock(status_mutex_);
  return status_;
}

void ServiceRuntime::HandleControl(std::uint32_t control) {
  switch (control) {
    case ServiceManager::kControlStop:
      SetState(ServiceManager::kStopPending);
      host_.HandleStop();
      running_ = 0;
      events_.Report(EventReporter::kInformation, messages::kStopped);
      break;
    case ServiceManager::kControlPause:
      host_.HandlePause();
      break;
    case ServiceManager::kControlContinue:
      host_.HandleContinue();
      break;
    case ServiceManager::kControlInterrogate:
      host_.HandleInterrogate();
      break;
    case ServiceManager::kControlShutdown:
      host_.HandleShutdown();
      break;
    default:
      if (control < ServiceManager::kFirstUserControl || !host_.HandleUserControl(control)) {
        events_.Report(EventReporter::kError, messages::kUnsupportedRequest);
      }
      break;
  }
  ReportStatus();
}

}  // namespace kivo::service
