#include "platform/win32/Win32ServiceControl.h"

#include <windows.h>

namespace kivo::platform {

namespace {

class Win32Service : public Service {
 public:
  explicit Win32Service(SC_HANDLE handle) : handle_(handle) {}
  ~Win32Service() override { CloseServiceHandle(handle_); }
  Win32Service(const Win32Service&) = delete;
  Win32Service& operator=(const Win32Service&) = delete;

  ServiceError QueryStatus(ServiceStatus* status) override {
    SERVICE_STATUS raw = {};
    if (!QueryServiceStatus(handle_, &raw)) return GetLastError();
    status->current_state = static_cast<ServiceState>(raw.dwCurrentState);
    return kServiceSuccess;
  }

  ServiceError Start() override {
    return StartServiceA(handle_, 0, nullptr) ? kServiceSuccess : GetLastError();
  }

 private:
  SC_HANDLE handle_;
};

class Win32ServiceManager : public ServiceManager {
 public:
  explicit Win32ServiceManager(SC_HANDLE handle) : handle_(handle) {}
  ~Win32ServiceManager() override { CloseServiceHandle(handle_); }
  Win32ServiceManager(const Win32ServiceManager&) = delete;
  Win32ServiceManager& operator=(const Win32ServiceManager&) = delete;

  ServiceError Open(const std::string& name, std::uint32_t access,
                    std::unique_ptr<Service>* service) override {
    service->reset();
    SC_HANDLE handle = OpenServiceA(handle_, name.c_str(), access);
    if (handle == nullptr) return GetLastError();
    *service = std::make_unique<Win32Service>(handle);
    return kServiceSuccess;
  }

 private:
  SC_HANDLE handle_;
};

}  // namespace

ServiceError Win32ServiceControl::Connect(std::uint32_t access,
                                          std::unique_ptr<ServiceManager>* manager) {
  manager->reset();
  SC_HANDLE handle = OpenSCManagerA(nullptr, nullptr, access);
  if (handle == nullptr) return GetLastError();
  *manager = std::make_unique<Win32ServiceManager>(handle);
  return kServiceSuccess;
}

}  // namespace kivo::platform
