// kivo-msi-actions.dll: the package's custom actions that write the store
// settings given as public properties. The immediate action checks the
// properties (so that a bad value stops the install before anything is
// changed) and hands them to the deferred action, which runs as the local
// system account and writes the store.

#include <msi.h>
#include <msiquery.h>
#include <windows.h>

#include <string>

#include "installer/ActionData.h"
#include "installer/StoreSettings.h"
#include "platform/win32/Win32Registry.h"

namespace {

namespace installer = kivo::installer;

// The deferred action reads its data from the property named as the action.
constexpr char kWriteAction[] = "WriteStoreSettings";

std::string Property(MSIHANDLE install, const char* name) {
  char probe[1] = "";
  DWORD size = 0;
  if (MsiGetPropertyA(install, name, probe, &size) != ERROR_MORE_DATA) {
    return std::string();
  }
  std::string value(size + 1, '\0');
  size = static_cast<DWORD>(value.size());
  if (MsiGetPropertyA(install, name, &value[0], &size) != ERROR_SUCCESS) {
    return std::string();
  }
  value.resize(size);
  return value;
}

// An error in the installer's log, and in a message box when it has a UI.
UINT Fail(MSIHANDLE install, const std::string& text) {
  const MSIHANDLE record = MsiCreateRecord(1);
  MsiRecordSetStringA(record, 0, ("Kivo: " + text).c_str());
  MsiProcessMessage(
      install, static_cast<INSTALLMESSAGE>(INSTALLMESSAGE_ERROR | MB_OK | MB_ICONERROR), record);
  MsiCloseHandle(record);
  return ERROR_INSTALL_FAILURE;
}

}  // namespace

extern "C" __declspec(dllexport) UINT __stdcall ReadStoreSettings(MSIHANDLE install) {
  installer::ActionData given;
  for (const char* name : installer::properties::kAll) {
    std::string value = Property(install, name);
    if (!value.empty()) {
      given[name] = value;
    }
  }
  const installer::ParsedStoreSettings parsed =
      installer::ParseStoreSettings([&given](const char* name) { return given[name]; });
  if (!parsed.settings) {
    return Fail(install, parsed.error);
  }
  MsiSetPropertyA(install, kWriteAction, installer::EncodeActionData(given).c_str());
  return ERROR_SUCCESS;
}

extern "C" __declspec(dllexport) UINT __stdcall WriteStoreSettings(MSIHANDLE install) {
  std::optional<installer::ActionData> given =
      installer::DecodeActionData(Property(install, "CustomActionData"));
  if (!given) {
    return Fail(install, "the store settings did not reach the install step intact");
  }
  const installer::ParsedStoreSettings parsed =
      installer::ParseStoreSettings([&given](const char* name) { return (*given)[name]; });
  if (!parsed.settings) {
    return Fail(install, parsed.error);
  }
  kivo::platform::Win32Registry registry;
  if (!installer::WriteStoreSettings(registry, *parsed.settings)) {
    return Fail(install, "the configuration store HKLM\\SOFTWARE\\Tarvenor\\Kivo cannot be opened");
  }
  return ERROR_SUCCESS;
}
