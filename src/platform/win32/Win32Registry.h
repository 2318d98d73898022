#pragma once

#include "platform/Registry.h"

namespace kivo::platform {

// The system registry below HKEY_LOCAL_MACHINE, through advapi32.
class Win32Registry : public Registry {
 public:
  RegStatus Open(const std::string& path, std::unique_ptr<RegistryKey>* key) override;
  RegStatus Create(const std::string& path, std::unique_ptr<RegistryKey>* key) override;
};

}  // namespace kivo::platform
