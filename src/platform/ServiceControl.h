#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace kivo::platform {

// Result codes of the service control manager, as GetLastError reports them.
using ServiceError = std::uint32_t;
constexpr ServiceError kServiceSuccess = 0;
constexpr ServiceError kServiceAccessDenied = 5;            // ERROR_ACCESS_DENIED
constexpr ServiceError kServiceAlreadyRunning = 1056;       // ERROR_SERVICE_ALREADY_RUNNING
constexpr ServiceError kServiceDoesNotExist = 1060;         // ERROR_SERVICE_DOES_NOT_EXIST
constexpr ServiceError kServiceDatabaseUnavailable = 1065;  // ERROR_DATABASE_DOES_NOT_EXIST

// Access rights, as OpenSCManagerA and OpenServiceA take them.
namespace service_access {
constexpr std::uint32_t kManagerConnectOnly = 0;  // connecting is always granted
constexpr std::uint32_t kManagerAll = 0xF003F;    // SC_MANAGER_ALL_ACCESS
constexpr std::uint32_t kServiceAll = 0xF01FF;    // SERVICE_ALL_ACCESS
}  // namespace service_access

// dwCurrentState of SERVICE_STATUS.
enum class ServiceState : std::uint32_t {
  kStopped = 1,
  kStartPending = 2,
  kStopPending = 3,
  kRunning = 4,
  kContinuePending = 5,
  kPausePending = 6,
  kPaused = 7,
};

struct ServiceStatus {
  ServiceState current_state = ServiceState::kStopped;
};

// One opened service. Destroying it closes the handle (CloseServiceHandle).
class Service {
 public:
  virtual ~Service() = default;

  // QueryServiceStatus.
  virtual ServiceError QueryStatus(ServiceStatus* status) = 0;
  // StartServiceA without arguments. Returns once the manager has accepted
  // the request; the service may still be starting.
  virtual ServiceError Start() = 0;
};

// An open connection to the service control manager of the local machine.
// Destroying it closes the handle (CloseServiceHandle).
class ServiceManager {
 public:
  virtual ~ServiceManager() = default;

  // OpenServiceA on a service by its name.
  virtual ServiceError Open(const std::string& name, std::uint32_t access,
                            std::unique_ptr<Service>* service) = 0;
};

// Entry to the service control manager (OpenSCManagerA with no machine and
// no database name, that is the local machine's active database).
class ServiceControl {
 public:
  virtual ~ServiceControl() = default;

  virtual ServiceError Connect(std::uint32_t access, std::unique_ptr<ServiceManager>* manager) = 0;
};

}  // namespace kivo::platform
