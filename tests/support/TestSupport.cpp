#include "support/TestSupport.h"

#include <atomic>
#include <chrono>
#include <fstream>
#include <iterator>

#include "config/RegistryConfig.h"
#include "platform/fake/FakeRegistry.h"
#ifdef _WIN32
#include "platform/win32/Win32Registry.h"
#endif

namespace kivo::testing {

namespace fs = std::filesystem;

ScopedTempDir::ScopedTempDir() : previous_(fs::current_path()) {
  static std::atomic<unsigned> counter{0};
  const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
  path_ = fs::temp_directory_path() /
          ("kivo-test-" + std::to_string(stamp) + "-" + std::to_string(counter++));
  fs::create_directories(path_);
  fs::current_path(path_);
}

ScopedTempDir::~ScopedTempDir() {
  std::error_code ignored;
  fs::current_path(previous_, ignored);
  fs::remove_all(path_, ignored);
}

std::string ReadFileBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void DeleteRegistryTree(platform::Registry& registry, const std::string& path) {
  std::unique_ptr<platform::RegistryKey> key;
  if (registry.Open(path, &key) != platform::kRegSuccess) return;
  std::uint32_t count = 0;
  key->CountSubkeys(&count);
  char name[256];
  for (std::uint32_t i = count; i > 0; --i) {
    if (key->SubkeyName(i - 1, name, sizeof(name)) == platform::kRegSuccess) {
      DeleteRegistryTree(registry, path + "\\" + name);
    }
  }
  key.reset();
  const auto slash = path.rfind('\\');
  std::unique_ptr<platform::RegistryKey> parent;
  if (registry.Open(path.substr(0, slash == std::string::npos ? 0 : slash), &parent) ==
      platform::kRegSuccess) {
    parent->DeleteSubkey(slash == std::string::npos ? path : path.substr(slash + 1));
  }
}

std::string Dword(std::int32_t value) {
  return std::string(reinterpret_cast<const char*>(&value), sizeof(value));
}

bool WriteValue(platform::Registry& registry, const std::string& path, const std::string& name,
                const StoredValue& value) {
  std::unique_ptr<platform::RegistryKey> key;
  return registry.Create(path, &key) == platform::kRegSuccess &&
         key->SetValue(name, value.type, value.bytes.data(),
                       static_cast<std::uint32_t>(value.bytes.size())) == platform::kRegSuccess;
}

std::optional<StoredValue> ReadValue(platform::Registry& registry, const std::string& path,
                                     const std::string& name) {
  std::unique_ptr<platform::RegistryKey> key;
  if (registry.Open(path, &key) != platform::kRegSuccess) return std::nullopt;
  StoredValue value{platform::RegType::kNone, std::string(1024, '\0')};
  std::uint32_t size = static_cast<std::uint32_t>(value.bytes.size());
  if (key->QueryValue(name, &value.type, value.bytes.data(), &size) != platform::kRegSuccess) {
    return std::nullopt;
  }
  value.bytes.resize(size);
  return value;
}

std::string StorePath(const std::string& sub) {
  const std::string root = config::names::kRootPath;
  return sub.empty() ? root : root + "\\" + sub;
}

bool KeyExists(platform::Registry& registry, const std::string& path) {
  std::unique_ptr<platform::RegistryKey> key;
  return registry.Open(path, &key) == platform::kRegSuccess;
}

std::vector<std::string> SubkeyNames(platform::Registry& registry, const std::string& path) {
  std::vector<std::string> names;
  std::unique_ptr<platform::RegistryKey> key;
  if (registry.Open(path, &key) != platform::kRegSuccess) return names;
  char name[256];
  for (std::uint32_t i = 0; key->SubkeyName(i, name, sizeof(name)) == platform::kRegSuccess; ++i) {
    names.push_back(name);
  }
  return names;
}

std::optional<std::string> StoredText(platform::Registry& registry, const std::string& sub,
                                      const char* name) {
  config::RegistryConfig store(registry, sub.empty() ? nullptr : sub.c_str());
  try {
    return store.ReadText(name);
  } catch (const config::RegistryReadError&) {
    return std::nullopt;
  }
}

std::optional<std::int32_t> StoredNumber(platform::Registry& registry, const std::string& sub,
                                         const char* name) {
  config::RegistryConfig store(registry, sub.empty() ? nullptr : sub.c_str());
  try {
    return store.ReadNumber(name);
  } catch (const config::RegistryReadError&) {
    return std::nullopt;
  }
}

std::unique_ptr<platform::Registry> MakeFakeRegistry() {
  return std::make_unique<platform::FakeRegistry>();
}
#ifdef _WIN32
std::unique_ptr<platform::Registry> MakeWin32Registry() {
  return std::make_unique<platform::Win32Registry>();
}
#endif

}  // namespace kivo::testing
