#pragma once

#include <atomic>
#include <cstdint>
#include <iosfwd>
#include <mutex>
#include <string>

#include "platform/EventReporter.h"
#include "platform/Registry.h"
#include "platform/ServiceManager.h"

namespace kivo::service {

// What the service host reaches the machine through.
struct ServicePlatform {
  platform::ServiceManager& manager;
  platform::EventReporter& events;
  platform::Registry& registry;
  std::ostream& out;  // where the command line prints
};

// Ids of the service's own messages (the message table compiled into the
// program must carry the same ids).
namespace messages {
constexpr std::uint32_t kInstalled = 100;
constexpr std::uint32_t kRemoved = 101;
constexpr std::uint32_t kNotRemoved = 102;
constexpr std::uint32_t kNoControlHandler = 103;
constexpr std::uint32_t kInitializationFailed = 104;
constexpr std::uint32_t kStarted = 105;
constexpr std::uint32_t kUnsupportedRequest = 106;
constexpr std::uint32_t kStopped = 108;
}  // namespace messages

// Everything an NT service needs and nothing of what it does: the command
// line that prints the version and installs or removes the service, the
// hand-over to the service control manager, the service entry, the control
// handler, status reporting and the service's own event-log messages.
// Subclasses supply the work, its preparation and their own control codes.
//
// There is one service object per process: the platform calls the service
// entry and the control handler without a context, so the constructor makes
// the object reachable from them.
class ServiceHost {
 public:
  static constexpr std::size_t kNameLimit = 63;
  // How long the default work sleeps between looks at the running flag.
  static constexpr std::uint32_t kWorkSleepMilliseconds = 5000;

  ServiceHost(const ServicePlatform& platform, const char* name, std::int32_t major_version,
              std::int32_t minor_version);
  virtual ~ServiceHost();
  ServiceHost(const ServiceHost&) = delete;
  ServiceHost& operator=(const ServiceHost&) = delete;

  // Handles "-v", "-i" and "-u" (any letter case); true when the program is
  // to exit, false when it is to run as the service.
  bool ParseCommandLine(int argc, const char* const argv[]);
  bool IsInstalled();
  bool Install();
  bool Uninstall();
  // Reports one of the service's own messages; null strings are absent.
  // Fails silently.
  void LogServiceEvent(std::uint16_t type, std::uint32_t id, const char* s1 = nullptr,
                       const char* s2 = nullptr, const char* s3 = nullptr);
  // Hands the process to the service control manager; returns when the
  // service has stopped, or at once when the manager did not start us.
  void StartDispatcher();

  // The platform's entry points; they reach the process's service object.
  static void ServiceMain();
  static void ControlHandler(std::uint32_t control);

  // Stores the state in the status record and reports the whole record.
  void SetState(std::uint32_t state);
  // Reports start pending, runs Prepare and reports running (or stopped).
  bool Initialize();

  const std::string& name() const { return name_; }
  std::int32_t major_version() const { return major_version_; }
  std::int32_t minor_version() const { return minor_version_; }
  platform::ServiceManager::Status status() const;
  bool IsRunning() const { return running_.load() != 0; }
  // The error of the last failed Install or Uninstall step.
  std::uint32_t last_error() const { return last_error_; }

 protected:
  virtual void Work();
  virtual bool Prepare() { return true; }
  virtual void HandleStop() {}
  virtual void HandleInterrogate() {}
  virtual void HandlePause() {}
  virtual void HandleContinue() {}
  virtual void HandleShutdown() {}
  // True when the code was understood.
  virtual bool HandleUserControl(std::uint32_t control) { return false; }

  platform::Registry& registry() { return platform_.registry; }
  platform::ServiceManager& manager() { return platform_.manager; }
  // "SYSTEM\CurrentControlSet\Services\<name>\<subkey>".
  std::string ServiceKeyPath(const char* subkey) const;

 private:
  void RunService();
  void RunWork();
  void HandleControl(std::uint32_t control);
  void ReportStatus();
  bool RegisterEventSource();

  ServicePlatform platform_;
  std::string name_;
  std::int32_t major_version_;
  std::int32_t minor_version_;
  std::atomic<platform::ServiceManager::Handle> status_handle_{0};
  // The status record is written by both the service thread and the control
  // handler; the lock keeps every report a consistent record.
  mutable std::mutex status_mutex_;
  platform::ServiceManager::Status status_;
  std::atomic<std::int32_t> running_{0};
  std::mutex event_source_mutex_;
  platform::EventReporter::Handle event_source_ = 0;
  std::uint32_t last_error_ = 0;
};

}  // namespace kivo::service
