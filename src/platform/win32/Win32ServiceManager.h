#pragma once

#include "platform/ServiceManager.h"

namespace kivo::platform {

// The service control manager through advapi32, with kernel32's module path,
// last error and sleep.
class Win32ServiceManager : public ServiceManager {
 public:
  Handle OpenManager(std::uint32_t access) override;
  Handle Open(Handle manager, const std::string& name, std::uint32_t access) override;
  Handle Create(Handle manager, const Definition& definition) override;
  bool Delete(Handle service) override;
  void Close(Handle handle) override;
  bool QueryStatus(Handle service, Status* status) override;
  bool Start(Handle service) override;
  bool StartDispatcher(const std::string& name, ServiceMainFunction main) override;
  Handle RegisterControlHandler(const std::string& name, ControlFunction handler) override;
  bool SetStatus(Handle status_handle, const Status& status) override;
  bool ProgramPath(std::string* path) override;
  std::uint32_t LastError() const override;
};

}  // namespace kivo::platform
