#include "service/ServiceTestSupport.h"

#include <memory>

namespace kivo::testing {

std::string FakeServiceMachine::ReadText(const std::string& key, const std::string& name,
                                         platform::RegType* type) {
  std::unique_ptr<platform::RegistryKey> open;
  if (registry.Open(key, &open) != platform::kRegSuccess) return "";
  char buffer[512] = {};
  std::uint32_t size = sizeof(buffer) - 1;
  if (open->QueryValue(name, type, buffer, &size) != platform::kRegSuccess) return "";
  return std::string(buffer, size);
}

std::int64_t FakeServiceMachine::ReadNumber(const std::string& key, const std::string& name) {
  std::unique_ptr<platform::RegistryKey> open;
  if (registry.Open(key, &open) != platform::kRegSuccess) return -1;
  std::int32_t value = 0;
  platform::RegType type = platform::RegType::kNone;
  std::uint32_t size = sizeof(value);
  if (open->QueryValue(name, &type, &value, &size) != platform::kRegSuccess ||
      type != platform::RegType::kNumber) {
    return -1;
  }
  return value;
}

void FakeServiceMachine::WriteNumber(const std::string& key, const std::string& name,
                                     std::int32_t value) {
  std::unique_ptr<platform::RegistryKey> open;
  registry.Create(key, &open);
  open->SetValue(name, platform::RegType::kNumber, &value, sizeof(value));
}

void FakeServiceMachine::WriteText(const std::string& key, const std::string& name,
                                   const std::string& text) {
  std::unique_ptr<platform::RegistryKey> open;
  registry.Create(key, &open);
  open->SetValue(name, platform::RegType::kText, text.c_str(),
                 static_cast<std::uint32_t>(text.size() + 1));
}

}  // namespace kivo::testing
