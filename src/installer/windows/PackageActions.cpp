// kivo-msi-actions.dll: the package's custom actions.
// - ReadStoreSettings (immediate) checks the store settings given as public
//   properties, so that a bad value stops the install before anything is
//   changed, and hands them to WriteStoreSettings (deferred, local system
//   account), which writes the store and, through DPAPI, the SNMPv3
//   passphrases. It also reads the store as it is and
//   hands it to RollbackStoreSettings (rollback), which puts it back when
//   the install fails after the write.
// - ForgetStoreSettings (immediate, once the deferred actions have taken
//   their data) clears the hidden properties.
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
#include "installer/StoreSnapshot.h"
#include "platform/win32/Win32Messages.h"
#include "platform/win32/Win32Registry.h"
#include "platform/win32/Win32Secrets.h"
#include "service/ForwardingService.h"

namespace {

namespace installer = kivo::installer;

// A deferred or rollback action reads its data from the property named as
// the action.
constexpr char kWriteAction[] = "WriteStoreSettings";
constexpr char kRollbackAction[] = "RollbackStoreSettings";
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

// Clears every property that MsiHiddenProperties names (the secrets and the
// deferred actions' data that carries them). Windows Installer keeps their
// values out of its log; Wine's ignores the list and logs every property
// that is left at the end of the install.
void ForgetHiddenProperties(MSIHANDLE install) {
  const std::string hidden = Property(install, "MsiHiddenProperties") + ';';
  for (std::size_t at = 0, end = hidden.find(';'); end != std::string::npos;
       at = end + 1, end = hidden.find(';', at)) {
    if (end > at) {
      MsiSetPropertyA(install, hidden.substr(at, end - at).c_str(), "");
    }
  }
}

// An error in the installer's log, and in a message box when it has a UI.
// The text goes into a field, escaped: the installer formats the message,
// so a value given as "[COMMUNITY]" would print that property there.
UINT Fail(MSIHANDLE install, const std::string& text) {
  const MSIHANDLE record = MsiCreateRecord(1);
  MsiRecordSetStringA(record, 0, "Kivo: [1]");
  MsiRecordSetStringA(record, 1, installer::FormattedLiteral(text).c_str());
  MsiProcessMessage(
      install, static_cast<INSTALLMESSAGE>(INSTALLMESSAGE_ERROR | MB_OK | MB_ICONERROR), record);
  MsiCloseHandle(record);
  return ERROR_INSTALL_FAILURE;
}

// "the configuration store ... cannot be written: Access is denied. (error 5)"
std::string StoreFailure(const std::string& what, kivo::platform::RegStatus error) {
  kivo::platform::Win32Messages messages;
  return "the configuration store HKLM\\SOFTWARE\\Tarvenor\\Kivo " + what + ": " +
         kivo::platform::SystemErrorText(messages, static_cast<std::uint32_t>(error));
}

installer::ParsedStoreSettings Parse(const installer::ActionData& given) {
  return installer::ParseStoreSettings([&given](const char* name) {
    const auto found = given.find(name);
    return found != given.end() ? found->second : std::string();
  });
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
  // Taken: from here on only the deferred actions' data holds them.
  ForgetHiddenProperties(install);
  const installer::ParsedStoreSettings parsed = Parse(given);
  if (!parsed.settings) {
    return Fail(install, parsed.error);
  }
  // Read only: an immediate action may run with the user's limited rights.
  kivo::platform::Win32Registry registry(kivo::platform::Win32Registry::Access::kRead);
  const installer::TakenSnapshot taken = installer::TakeStoreSnapshot(registry);
  if (taken.error != kivo::platform::kRegSuccess) {
    return Fail(install, StoreFailure("cannot be read", taken.error));
  }
  MsiSetPropertyA(install, kWriteAction, installer::EncodeActionData(given).c_str());
  MsiSetPropertyA(install, kRollbackAction, installer::EncodeStoreSnapshot(taken.snapshot).c_str());
  return ERROR_SUCCESS;
}

extern "C" __declspec(dllexport) UINT __stdcall ForgetStoreSettings(MSIHANDLE install) {
  ForgetHiddenProperties(install);
  return ERROR_SUCCESS;
}

extern "C" __declspec(dllexport) UINT __stdcall WriteStoreSettings(MSIHANDLE install) {
  std::optional<installer::ActionData> given =
      installer::DecodeActionData(Property(install, "CustomActionData"));
  if (!given) {
    return Fail(install, "the store settings did not reach the install step intact");
  }
  const installer::ParsedStoreSettings parsed = Parse(*given);
  if (!parsed.settings) {
    return Fail(install, parsed.error);
  }
  kivo::platform::Win32Registry registry;
  kivo::platform::Win32Secrets secrets(kivo::config::names::kSecretsPath);
  if (const auto error = installer::WriteStoreSettings(registry, secrets, *parsed.settings)) {
    return Fail(install, StoreFailure("cannot be written", error));
  }
  return ERROR_SUCCESS;
}

// Runs only when the install fails after it was reached (under Wine, when
// it fails at all: the store then is as the snapshot has it already).
extern "C" __declspec(dllexport) UINT __stdcall RollbackStoreSettings(MSIHANDLE install) {
  const std::optional<installer::StoreSnapshot> snapshot =
      installer::DecodeStoreSnapshot(Property(install, "CustomActionData"));
  if (!snapshot) {
    return Fail(install,
                "the store as it was before the install did not reach the rollback "
                "intact, so it is left as the install left it");
  }
  kivo::platform::Win32Registry registry;
  if (const auto error = installer::RestoreStoreSnapshot(registry, *snapshot)) {
    return Fail(install, StoreFailure("cannot be put back as it was", error));
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
