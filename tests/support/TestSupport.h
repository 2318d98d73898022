#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/Registry.h"

namespace kivo::testing {

// A fresh directory that is the current directory for the object's lifetime,
// so that files written by bare name (the trace file) land in it.
class ScopedTempDir {
 public:
  ScopedTempDir();
  ~ScopedTempDir();
  ScopedTempDir(const ScopedTempDir&) = delete;
  ScopedTempDir& operator=(const ScopedTempDir&) = delete;

  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path previous_;
  std::filesystem::path path_;
};

// The whole content of a file, as bytes.
std::string ReadFileBytes(const std::filesystem::path& path);

// Deletes a key with everything below it; a missing key is fine.
void DeleteRegistryTree(platform::Registry& registry, const std::string& path);

// A registry value as stored: its type and its bytes.
struct StoredValue {
  platform::RegType type;
  std::string bytes;
  bool operator==(const StoredValue& other) const {
    return type == other.type && bytes == other.bytes;
  }
};
// The four bytes of a REG_DWORD.
std::string Dword(std::int32_t value);
// Writes a value, creating its key; false when either fails.
bool WriteValue(platform::Registry& registry, const std::string& path, const std::string& name,
                const StoredValue& value);
// A value as stored; nothing when its key or the value is missing.
std::optional<StoredValue> ReadValue(platform::Registry& registry, const std::string& path,
                                     const std::string& name);

// The path of a key of the configuration store ("" is its root key).
std::string StorePath(const std::string& sub);
bool KeyExists(platform::Registry& registry, const std::string& path);
// The names of a key's subkeys in the registry's enumeration order (none when
// the key is missing).
std::vector<std::string> SubkeyNames(platform::Registry& registry, const std::string& path);

// A value of the configuration store read back through the store itself, at
// a key below its root ("" is the root key, "Filters\\0" an entry); nothing
// when the store cannot read it.
std::optional<std::string> StoredText(platform::Registry& registry, const std::string& sub,
                                      const char* name);
std::optional<std::int32_t> StoredNumber(platform::Registry& registry, const std::string& sub,
                                         const char* name);

// Makes the registry implementation that a test suite runs against: the
// in-memory one, or in the Windows build the real one.
using RegistryFactory = std::unique_ptr<platform::Registry> (*)();
std::unique_ptr<platform::Registry> MakeFakeRegistry();
#ifdef _WIN32
std::unique_ptr<platform::Registry> MakeWin32Registry();
#endif

}  // namespace kivo::testing
