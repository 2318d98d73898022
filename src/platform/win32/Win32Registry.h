#pragma once

#include "platform/Registry.h"

namespace kivo::platform {

// The system registry below HKEY_LOCAL_MACHINE, through advapi32.
class Win32Registry : public Registry {
 public:
  // kFull opens keys with full access, as both programs need. kRead opens
  // them for reading only and creates none, for a caller that may run with
  // a user's limited rights (the package's immediate actions).
  enum class Access { kFull, kRead };
  explicit Win32Registry(Access access = Access::kFull) : access_(access) {}

  RegStatus Open(const std::string& path, std::unique_ptr<RegistryKey>* key) override;
  RegStatus Create(const std::string& path, std::unique_ptr<RegistryKey>* key) override;

 private:
  Access access_;
};

}  // namespace kivo::platform
