#include "platform/fake/FakeSecrets.h"

#include <algorithm>
#include <cctype>

namespace kivo::platform {
namespace {

std::string Folded(std::string name) {
  std::transform(name.begin(), name.end(), name.begin(),
                 [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  return name;
}

}  // namespace

Win32Error FakeSecrets::Write(const std::string& name, std::string_view secret) {
  if (refuse_error != 0) return refuse_error;
  secrets_[Folded(name)] = std::string(secret);
  return 0;
}

Win32Error FakeSecrets::Read(const std::string& name, std::string* secret) {
  if (refuse_error != 0) return refuse_error;
  const auto found = secrets_.find(Folded(name));
  if (found == secrets_.end()) return kErrorFileNotFound;
  *secret = found->second;
  return 0;
}

}  // namespace kivo::platform
