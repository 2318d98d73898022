#include "platform/win32/Win32Secrets.h"

#include <windows.h>

#include <sddl.h>
#include <wincrypt.h>

#include <climits>
#include <vector>

namespace kivo::platform {
namespace {

// Full control for SYSTEM and the Administrators, passed on to subkeys,
// nothing inherited from the store's key ("P").
constexpr char kAccessList[] = "D:P(A;OICI;KA;;;SY)(A;OICI;KA;;;BA)";

// Memory that the system allocated with LocalAlloc for us.
template <typename T>
struct LocalMemory {
  T* pointer = nullptr;
  ~LocalMemory() {
    if (pointer != nullptr) LocalFree(pointer);
  }
};

struct Key {
  HKEY handle = nullptr;
  ~Key() {
    if (handle != nullptr) RegCloseKey(handle);
  }
};

}  // namespace

Win32Error Win32Secrets::Write(const std::string& name, std::string_view secret) {
  if (secret.size() > ULONG_MAX) return kErrorInvalidParameter;
  LocalMemory<void> descriptor;
  if (!ConvertStringSecurityDescriptorToSecurityDescriptorA(kAccessList, SDDL_REVISION_1,
                                                            &descriptor.pointer, nullptr)) {
    return GetLastError();
  }
  SECURITY_ATTRIBUTES attributes{sizeof(attributes), descriptor.pointer, FALSE};
  Key key;
  DWORD disposition = 0;
  LONG result =
      RegCreateKeyExA(HKEY_LOCAL_MACHINE, key_path_.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                      KEY_SET_VALUE | WRITE_DAC, &attributes, &key.handle, &disposition);
  if (result != ERROR_SUCCESS) return static_cast<Win32Error>(result);
  // A key made before (by hand, or by an older writer) gets the list too.
  if (disposition == REG_OPENED_EXISTING_KEY) {
    result = RegSetKeySecurity(key.handle, DACL_SECURITY_INFORMATION, descriptor.pointer);
    if (result != ERROR_SUCCESS) return static_cast<Win32Error>(result);
  }
  DATA_BLOB clear{static_cast<DWORD>(secret.size()),
                  reinterpret_cast<BYTE*>(const_cast<char*>(secret.data()))};
  DATA_BLOB sealed{0, nullptr};
  if (!CryptProtectData(&clear, L"Kivo", nullptr, nullptr, nullptr,
                        CRYPTPROTECT_LOCAL_MACHINE | CRYPTPROTECT_UI_FORBIDDEN, &sealed)) {
    return GetLastError();
  }
  LocalMemory<BYTE> blob{sealed.pbData};
  return static_cast<Win32Error>(
      RegSetValueExA(key.handle, name.c_str(), 0, REG_BINARY, sealed.pbData, sealed.cbData));
}

Win32Error Win32Secrets::Read(const std::string& name, std::string* secret) {
  Key key;
  LONG result =
      RegOpenKeyExA(HKEY_LOCAL_MACHINE, key_path_.c_str(), 0, KEY_QUERY_VALUE, &key.handle);
  if (result != ERROR_SUCCESS) return static_cast<Win32Error>(result);
  DWORD type = REG_NONE;
  DWORD size = 0;
  result = RegQueryValueExA(key.handle, name.c_str(), nullptr, &type, nullptr, &size);
  if (result != ERROR_SUCCESS) return static_cast<Win32Error>(result);
  if (type != REG_BINARY || size == 0) return kErrorInvalidData;
  std::vector<BYTE> stored(size);
  result = RegQueryValueExA(key.handle, name.c_str(), nullptr, &type, stored.data(), &size);
  if (result != ERROR_SUCCESS) return static_cast<Win32Error>(result);
  DATA_BLOB sealed{size, stored.data()};
  DATA_BLOB clear{0, nullptr};
  if (!CryptUnprotectData(&sealed, nullptr, nullptr, nullptr, nullptr, CRYPTPROTECT_UI_FORBIDDEN,
                          &clear)) {
    return GetLastError();
  }
  LocalMemory<BYTE> opened{clear.pbData};
  secret->assign(reinterpret_cast<const char*>(clear.pbData), clear.cbData);
  WipeSecret(clear.pbData, clear.cbData);
  return 0;
}

}  // namespace kivo::platform
