#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/Win32Error.h"

namespace kivo::platform {

// Result codes of the registry, as the Win32 registry functions return them.
using RegStatus = std::int32_t;
constexpr RegStatus kRegSuccess = 0;

// Value types as the registry stores them.
enum class RegType : std::uint32_t {
  kNone = 0,
  kText = 1,        // REG_SZ
  kExpandText = 2,  // REG_EXPAND_SZ
  kBinary = 3,      // REG_BINARY
  kNumber = 4,      // REG_DWORD
  kMultiText = 7,   // REG_MULTI_SZ
};

// One open key. Destroying it closes the key.
class RegistryKey {
 public:
  virtual ~RegistryKey() = default;

  // Reads a value into the caller's buffer of *size bytes (RegQueryValueExA).
  // On success *size is the number of bytes stored and *type their type. When
  // the buffer is too small the result is kErrorMoreData and *size the bytes
  // needed; the buffer's content is then unspecified. An empty name is the
  // key's default value.
  virtual RegStatus QueryValue(const std::string& name, RegType* type, void* buffer,
                               std::uint32_t* size) const = 0;

  // Writes a value of the given type (RegSetValueExA).
  virtual RegStatus SetValue(const std::string& name, RegType type, const void* data,
                             std::uint32_t size) = 0;

  // Number of direct subkeys (RegQueryInfoKeyA).
  virtual RegStatus CountSubkeys(std::uint32_t* count) const = 0;

  // Name of the subkey at an enumeration index (RegEnumKeyA) into a buffer of
  // size bytes, zero-terminated. kErrorNoMoreItems past the last subkey;
  // kErrorMoreData when the name does not fit.
  virtual RegStatus SubkeyName(std::uint32_t index, char* buffer, std::uint32_t size) const = 0;

  // Deletes a direct subkey that has no subkeys of its own (RegDeleteKeyA).
  virtual RegStatus DeleteSubkey(const std::string& name) = 0;

  // Deletes a value (RegDeleteValueA); kErrorFileNotFound when there is none.
  virtual RegStatus DeleteValue(const std::string& name) = 0;
};

// The part of the registry below HKEY_LOCAL_MACHINE. Paths are joined with
// a single backslash; a trailing backslash addresses the key itself.
class Registry {
 public:
  virtual ~Registry() = default;

  // Opens an existing key with full access (RegOpenKeyExA, KEY_ALL_ACCESS).
  virtual RegStatus Open(const std::string& path, std::unique_ptr<RegistryKey>* key) = 0;

  // Opens a key, creating it and any missing parents (RegCreateKeyExA,
  // non-volatile, full access).
  virtual RegStatus Create(const std::string& path, std::unique_ptr<RegistryKey>* key) = 0;
};

}  // namespace kivo::platform
