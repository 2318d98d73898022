// kivo-msi-actions.dll: the package's custom actions.
// - ReadStoreSettings (immediate) checks the store settings given as public
//   properties, so that a bad value stops the install before anything is
//   changed, and hands them to WriteStoreSettings (deferred, local system
//   account), which writes the store.
// - WaitForServiceStop (deferred) waits, between the installer's stop and
//   delete of the service, until the service has really stopped.
// - QuoteServicePath (deferred) quotes the service's program path where the
//   installer did not.

#include <windows.h>
// After windows.h, which they need.
#include <msi.h>
#include <msiquery.h>

#include <string>

#include "installer/ActionData.h"
#include "installer/StoreSettings.h"
#include "platform/win32/Win32Registry.h"
#include "service/ForwardingService.h"

namespace {

namespace installer = kivo::installer;

// The deferred action reads its data from the property named as the action.
constexpr char kWriteAction[] = "WriteStoreSettings";
// Longer than the service's longest stop: it stops once its loop has served
// the events at hand and found no new one.
constexpr DWORD kStopWaitMs = 30000;
constexpr DWORD kStopPollMs = 100;

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

// The service "kivo", opened with the given access; closes both handles.
class KivoService {
 public:
  explicit KivoService(DWORD access)
      : manager_(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT)),
        service_(manager_ == nullptr
                     ? nullptr
                     : OpenServiceA(manager_, kivo::service::ForwardingService::kName, access)) {}
  ~KivoService() {
    if (service_ != nullptr) {
      CloseServiceHandle(service_);
    }
    if (manager_ != nullptr) {
      CloseServiceHandle(manager_);
    }
  }
  KivoService(const KivoService&) = delete;
  KivoService& operator=(const KivoService&) = delete;

  SC_HANDLE handle() const { return service_; }

 private:
  SC_HANDLE manager_;
  SC_HANDLE service_;
};

// The installer deletes the service right after asking it to stop. A service
// deleted while it still stops stays "marked for deletion" until its process
// ends, and a new service of that name (the upgrade's) cannot be created
// meanwhile; a program still running cannot be removed either. Windows
// Installer waits for the stop itself, Wine's does not: so wait here.
extern "C" __declspec(dllexport) UINT __stdcall WaitForServiceStop(MSIHANDLE) {
  const KivoService service(SERVICE_QUERY_STATUS);
  SERVICE_STATUS status{};
  for (DWORD waited = 0;
       service.handle() != nullptr && waited < kStopWaitMs &&
       QueryServiceStatus(service.handle(), &status) && status.dwCurrentState != SERVICE_STOPPED;
       waited += kStopPollMs) {
    Sleep(kStopPollMs);
  }
  return ERROR_SUCCESS;
}

// The path the service manager starts must be quoted: unquoted, "C:\Program
// Files\Kivo\kivo.exe" would let a "C:\Program.exe" run as the local system
// account. Windows Installer quotes it already, Wine's does not: quote it
// where it is not.
extern "C" __declspec(dllexport) UINT __stdcall QuoteServicePath(MSIHANDLE install) {
  const KivoService service(SERVICE_QUERY_CONFIG | SERVICE_CHANGE_CONFIG);
  DWORD size = 0;
  if (service.handle() == nullptr || (!QueryServiceConfigA(service.handle(), nullptr, 0, &size) &&
                                      GetLastError() != ERROR_INSUFFICIENT_BUFFER)) {
    return Fail(install, "the service kivo cannot be read");
  }
  std::string buffer(size, '\0');
  auto* config = reinterpret_cast<QUERY_SERVICE_CONFIGA*>(&buffer[0]);
  if (!QueryServiceConfigA(service.handle(), config, size, &size)) {
    return Fail(install, "the service kivo cannot be read");
  }
  const std::string path = config->lpBinaryPathName != nullptr ? config->lpBinaryPathName : "";
  if (path.empty() || path.front() == '"') {
    return ERROR_SUCCESS;
  }
  const std::string quoted = '"' + path + '"';
  if (!ChangeServiceConfigA(service.handle(), SERVICE_NO_CHANGE, SERVICE_NO_CHANGE,
                            SERVICE_NO_CHANGE, quoted.c_str(), nullptr, nullptr, nullptr, nullptr,
                            nullptr, nullptr)) {
    return Fail(install, "the path of the service kivo cannot be quoted");
  }
  return ERROR_SUCCESS;
}
