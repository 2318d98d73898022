#pragma once

#include <cstdint>
#include <string>

#include "platform/Win32Error.h"

namespace kivo::platform {

// The service control manager (advapi32), both as the database that installs
// and removes services and as the link of a service process to the manager,
// with the kernel calls that go with them. Handles are opaque; 0 is none.
class ServiceManager {
 public:
  using Handle = std::uintptr_t;
  // Entry points the manager calls. The platform's own entry points carry no
  // context, so there is one of each per process.
  using ServiceMainFunction = void (*)();
  using ControlFunction = void (*)(std::uint32_t control);

  // Access rights and settings, as the platform numbers them.
  static constexpr std::uint32_t kManagerConnectOnly = 0;      // connecting is always granted
  static constexpr std::uint32_t kManagerAllAccess = 0xF003F;  // SC_MANAGER_ALL_ACCESS
  static constexpr std::uint32_t kQueryStatus = 0x4;           // SERVICE_QUERY_STATUS
  static constexpr std::uint32_t kStartAccess = 0x10;          // SERVICE_START
  static constexpr std::uint32_t kQueryConfig = 0x1;           // SERVICE_QUERY_CONFIG
  static constexpr std::uint32_t kAllAccess = 0xF01FF;         // SERVICE_ALL_ACCESS
  static constexpr std::uint32_t kDeleteAccess = 0x10000;      // DELETE
  static constexpr std::uint32_t kOwnProcess = 0x10;           // SERVICE_WIN32_OWN_PROCESS
  static constexpr std::uint32_t kAutoStart = 2;               // SERVICE_AUTO_START
  static constexpr std::uint32_t kErrorControlNormal = 1;      // SERVICE_ERROR_NORMAL

  // Service states, the accepted-controls bit and the control codes.
  static constexpr std::uint32_t kStopped = 1;
  static constexpr std::uint32_t kStartPending = 2;
  static constexpr std::uint32_t kStopPending = 3;
  static constexpr std::uint32_t kRunning = 4;
  static constexpr std::uint32_t kAcceptStop = 1;
  static constexpr std::uint32_t kControlStop = 1;
  static constexpr std::uint32_t kControlPause = 2;
  static constexpr std::uint32_t kControlContinue = 3;
  static constexpr std::uint32_t kControlInterrogate = 4;
  static constexpr std::uint32_t kControlShutdown = 5;
  static constexpr std::uint32_t kFirstUserControl = 128;

  // The platform's SERVICE_STATUS, fields in its published order.
  struct Status {
    std::uint32_t service_type = 0;
    std::uint32_t current_state = 0;
    std::uint32_t controls_accepted = 0;
    std::uint32_t win32_exit_code = 0;
    std::uint32_t service_specific_exit_code = 0;
    std::uint32_t check_point = 0;
    std::uint32_t wait_hint = 0;
  };

  // What CreateServiceA is given; everything not named here is absent (no
  // load order group, tag, dependencies, account or password).
  struct Definition {
    std::string name;
    std::string display_name;
    std::uint32_t access = kAllAccess;
    std::uint32_t service_type = kOwnProcess;
    std::uint32_t start_type = kAutoStart;
    std::uint32_t error_control = kErrorControlNormal;
    std::string command_line;  // what the manager starts
  };

  virtual ~ServiceManager() = default;

  // OpenSCManagerA(NULL, NULL, access): the local machine's active database.
  virtual Handle OpenManager(std::uint32_t access) = 0;
  // OpenServiceA(manager, name, access).
  virtual Handle Open(Handle manager, const std::string& name, std::uint32_t access) = 0;
  // CreateServiceA(manager, ...).
  virtual Handle Create(Handle manager, const Definition& definition) = 0;
  // DeleteService(service): marks the service for removal.
  virtual bool Delete(Handle service) = 0;
  // CloseServiceHandle(handle).
  virtual void Close(Handle handle) = 0;
  // QueryServiceStatus(service, &status).
  virtual bool QueryStatus(Handle service, Status* status) = 0;
  // StartServiceA(service, 0, NULL): asks the manager to start the service and
  // returns without waiting for it to run.
  virtual bool Start(Handle service) = 0;

  // StartServiceCtrlDispatcherA with one entry (name, main) and the empty
  // entry. Returns when the service has stopped, or at once (false, last
  // error 1063) when the process was not started by the manager.
  virtual bool StartDispatcher(const std::string& name, ServiceMainFunction main) = 0;
  // RegisterServiceCtrlHandlerA(name, handler); 0 on failure.
  virtual Handle RegisterControlHandler(const std::string& name, ControlFunction handler) = 0;
  // SetServiceStatus(status_handle, &status).
  virtual bool SetStatus(Handle status_handle, const Status& status) = 0;

  // GetModuleFileNameA(NULL, ...) with a buffer of 260 bytes: the program's
  // full path. False (last error 122) when the path does not fit.
  virtual bool ProgramPath(std::string* path) = 0;
  // GetLastError(): the calling thread's last error code.
  virtual std::uint32_t LastError() const = 0;
};

}  // namespace kivo::platform
