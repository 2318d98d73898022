#include "platform/win32/Win32Registry.h"

#include <windows.h>

namespace kivo::platform {
namespace {

class Win32RegistryKey : public RegistryKey {
 public:
  explicit Win32RegistryKey(HKEY key) : key_(key) {}
  ~Win32RegistryKey() override { RegCloseKey(key_); }
  Win32RegistryKey(const Win32RegistryKey&) = delete;
  Win32RegistryKey& operator=(const Win32RegistryKey&) = delete;

  RegStatus QueryValue(const std::string& name, RegType* type, void* buffer,
                       std::uint32_t* size) const override {
    DWORD value_type = REG_NONE;
    DWORD value_size = *size;
    LONG result = RegQueryValueExA(key_, name.c_str(), nullptr, &value_type,
                                   static_cast<BYTE*>(buffer), &value_size);
    *size = value_size;
    if (type != nullptr) *type = static_cast<RegType>(value_type);
    return result;
  }

  RegStatus SetValue(const std::string& name, RegType type, const void* data,
                     std::uint32_t size) override {
    return RegSetValueExA(key_, name.c_str(), 0, static_cast<DWORD>(type),
                          static_cast<const BYTE*>(data), size);
  }

  RegStatus CountSubkeys(std::uint32_t* count) const override {
    DWORD subkeys = 0;
    LONG result = RegQueryInfoKeyA(key_, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr,
                                   nullptr, nullptr, nullptr, nullptr, nullptr);
    *count = result == ERROR_SUCCESS ? subkeys : 0;
    return result;
  }

  RegStatus SubkeyName(std::uint32_t index, char* buffer, std::uint32_t size) const override {
    return RegEnumKeyA(key_, index, buffer, size);
  }

  RegStatus DeleteSubkey(const std::string& name) override {
    return RegDeleteKeyA(key_, name.c_str());
  }

  RegStatus DeleteValue(const std::string& name) override {
    return RegDeleteValueA(key_, name.c_str());
  }

 private:
  HKEY key_;
};

}  // namespace

RegStatus Win32Registry::Open(const std::string& path, std::unique_ptr<RegistryKey>* key) {
  HKEY handle = nullptr;
  const REGSAM access = access_ == Access::kRead ? KEY_READ : KEY_ALL_ACCESS;
  LONG result = RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, access, &handle);
  key->reset(result == ERROR_SUCCESS ? new Win32RegistryKey(handle) : nullptr);
  return result;
}

RegStatus Win32Registry::Create(const std::string& path, std::unique_ptr<RegistryKey>* key) {
  key->reset();
  if (access_ == Access::kRead) return ERROR_ACCESS_DENIED;
  HKEY handle = nullptr;
  LONG result = RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr,
                                REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &handle, nullptr);
  key->reset(result == ERROR_SUCCESS ? new Win32RegistryKey(handle) : nullptr);
  return result;
}

}  // namespace kivo::platform
