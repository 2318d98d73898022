#pragma once

#include <map>
#include <string>

#include "platform/Secrets.h"

namespace kivo::platform {

// Secrets kept in memory only: nothing goes to a registry, fake or real, so
// no test registry ever holds a secret, encrypted or not. Names are
// case-insensitive, as registry value names are.
class FakeSecrets : public Secrets {
 public:
  Win32Error Write(const std::string& name, std::string_view secret) override;
  Win32Error Read(const std::string& name, std::string* secret) override;

  // Every call fails with this error while it is not 0, as for a user
  // without the rights to the key.
  Win32Error refuse_error = 0;

 private:
  std::map<std::string, std::string> secrets_;
};

}  // namespace kivo::platform
