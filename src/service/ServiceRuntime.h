#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>

#include "platform/ServiceManager.h"
#include "service/ServiceEventSource.h"

namespace kivo::service {

class ServiceHost;

// The service's life under the service control manager: the hand-over of the
// process to the dispatcher, the service entry (register the control handler,
// prepare, report running, work, report stopped), the control handler and the
// status record that every report carries. It drives the ServiceHost it
// belongs to through the host's Prepare, Work and Handle* operations.
//
// The service entry runs on the manager's thread, the control handler on the
// process's main thread; they share the status record (under a lock, so that
// every report is a consistent record) and the running flag.
class ServiceRuntime {
 public:
  ServiceRuntime(ServiceHost& host, platform::ServiceManager& manager, ServiceEventSource& events,
                 std::string name);
  ServiceRuntime(const ServiceRuntime&) = delete;
  ServiceRuntime& operator=(const ServiceRuntime&) = delete;

  // Hands the process to the manager; returns when the service has stopped,
  // or at once when the manager did not start the process.
  void StartDispatcher();
  // The service entry and the control handler, reached from the host's
  // context-free entry points.
  void RunService();
  void HandleControl(std::uint32_t control);

  // Stores the state in the status record and reports the whole record.
  void SetState(std::uint32_t state);
  // Reports start pending, runs the host's Prepare and reports running (or
  // stopped).
  bool Initialize();

  platform::ServiceManager::Status status() const;
  bool IsRunning() const { return running_.load() != 0; }

 private:
  void RunWork();
  void ReportStatus();
  // Sets the status record's exit code; check point and wait hint go to 0.
  void SetExitCode(std::uint32_t code);

  ServiceHost& host_;
  platform::ServiceManager& manager_;
  ServiceEventSource& events_;
  const std::string name_;
  std::atomic<platform::ServiceManager::Handle> status_handle_{0};
  mutable std::mutex status_mutex_;
  platform::ServiceManager::Status status_;
  std::atomic<std::int32_t> running_{0};
};

}  // namespace kivo::service
