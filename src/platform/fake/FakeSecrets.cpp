#include "platform/fake/FakeSecrets.h"

#include "platform/fake/UpperCase.h"

namespace kivo::platform {

Win32Error FakeSecrets::Write(const std::string& name, std::string_view secret) {
  if (refuse_error != 0) return refuse_error;
  secrets_[UpperCase(name)] = std::string(secret);
  return 0;
}

Win32Error FakeSecrets::Read(const std::string& name, std::string* secret) {
  if (refuse_error != 0) return refuse_error;
  const auto found = secrets_.find(UpperCase(name));
  if (found == secrets_.end()) return kErrorFileNotFound;
  *secret = found->second;
  return 0;
}

}  // namespace kivo::platform
