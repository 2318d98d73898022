#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>

#include "platform/EventReporter.h"
#include "platform/Registry.h"
#include "platform/ServiceManager.h"
#include "service/ServiceCommandLine.h"
#include "service/ServiceEventSource.h"
#include "service/ServiceInstaller.h"
#include "service/ServiceRuntime.h"

namespace kivo::service {

// What the service host reaches the machine through.
struct ServicePlatform {
  platform::ServiceManager& manager;
  platform::EventReporter& events;
  platform::Registry& registry;
  std::ostream& out;  // where the command line prints
  // What "-s" prints; without one, "-s" is no switch.
  ServiceCommandLine::StatusPrinter status = nullptr;
  // What "-p NAME" does; without one, "-p" is no switch.
  ServiceCommandLine::PassphraseSetter passphrase = nullptr;
};

// Everything an NT service needs and nothing of what it does. It is the face
// that the program entry and the subclasses see; its jobs are units of their
// own: the command line (ServiceCommandLine), the installer
// (ServiceInstaller), the runtime under the manager (ServiceRuntime) and the
// service's own event-log messages (ServiceEventSource). Subclasses supply the
// work, its preparation and their own control codes.
//
// There is one service object per process: the platform calls the service
// entry and the control handler without a context, so the constructor makes
// the object reachable from them.
class ServiceHost {
 public:
  static constexpr std::size_t kNameLimit = 63;

  ServiceHost(const ServicePlatform& platform, const char* name, std::int32_t major_version,
              std::int32_t minor_version);
  virtual ~ServiceHost();
  ServiceHost(const ServiceHost&) = delete;
  ServiceHost& operator=(const ServiceHost&) = delete;

  // Handles "-v", "-i", "-u", "-s" and "-p" (any letter case); true when the program is
  // to exit, false when it is to run as the service.
  bool ParseCommandLine(int argc, const char* const argv[]) {
    return command_line_.Handle(argc, argv);
  }
  // The exit code after a switch was handled.
  int CommandExitCode() const { return command_line_.exit_code(); }
  bool IsInstalled() { return installer_.IsInstalled(); }
  bool Install() { return installer_.Install(); }
  bool Uninstall() { return installer_.Uninstall(); }
  // Reports one of the service's own messages; null strings are absent.
  // Fails silently.
  void LogServiceEvent(std::uint16_t type, std::uint32_t id, const char* s1 = nullptr,
                       const char* s2 = nullptr, const char* s3 = nullptr) {
    events_.Report(type, id, s1, s2, s3);
  }
  // Hands the process to the service control manager; returns when the
  // service has stopped, or at once when the manager did not start us.
  void StartDispatcher() { runtime_.StartDispatcher(); }

  // The platform's entry points; they reach the process's service object.
  static void ServiceMain();
  static void ControlHandler(std::uint32_t control);

  // Stores the state in the status record and reports the whole record.
  void SetState(std::uint32_t state) { runtime_.SetState(state); }
  // Reports start pending, runs Prepare and reports running (or stopped).
  bool Initialize() { return runtime_.Initialize(); }

  platform::ServiceManager::Status status() const { return runtime_.status(); }
  bool IsRunning() const { return runtime_.IsRunning(); }

 protected:
  // The service's work; it returns once IsRunning() has turned false.
  virtual void Work() = 0;
  virtual bool Prepare() { return true; }
  virtual void HandleStop() {}
  virtual void HandleInterrogate() {}
  virtual void HandlePause() {}
  virtual void HandleContinue() {}
  virtual void HandleShutdown() {}
  // True when the code was understood.
  virtual bool HandleUserControl(std::uint32_t control) { return false; }

  platform::Registry& registry() { return registry_; }
  // "SYSTEM\CurrentControlSet\Services\<name>\<subkey>"; the service's key
  // itself when `subkey` is null.
  std::string ServiceKeyPath(const char* subkey) const;

 private:
  // The runtime drives the work, its preparation and the control handling.
  friend class ServiceRuntime;

  platform::Registry& registry_;
  const std::string name_;
  ServiceEventSource events_;
  ServiceInstaller installer_;
  ServiceCommandLine command_line_;
  ServiceRuntime runtime_;
};

}  // namespace kivo::service
