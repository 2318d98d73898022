#pragma once

#include "platform/ServiceControl.h"

namespace kivo::platform {

// The service control manager of the local machine (advapi32).
class Win32ServiceControl : public ServiceControl {
 public:
  ServiceError Connect(std::uint32_t access, std::unique_ptr<ServiceManager>* manager) override;
};

}  // namespace kivo::platform
