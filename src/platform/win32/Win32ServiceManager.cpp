#include "platform/win32/Win32ServiceManager.h"

#include <windows.h>

#include <atomic>
#include <vector>

namespace kivo::platform {
namespace {

// The platform calls its entry points without a context argument; these hold
// the portable functions that the trampolines below forward to.
std::atomic<ServiceManager::ServiceMainFunction> g_service_main{nullptr};
std::atomic<ServiceManager::ControlFunction> g_control{nullptr};

void WINAPI ServiceMainTrampoline(DWORD, LPSTR*) {
  if (auto main = g_service_main.load()) main();
}

void WINAPI ControlTrampoline(DWORD control) {
  if (auto handler = g_control.load()) handler(control);
}

SC_HANDLE AsScHandle(ServiceManager::Handle handle) {
  return reinterpret_cast<SC_HANDLE>(handle);
}

ServiceManager::Handle FromPointer(const void* pointer) {
  return reinterpret_cast<ServiceManager::Handle>(pointer);
}

}  // namespace

ServiceManager::Handle Win32ServiceManager::OpenManager(std::uint32_t access) {
  return FromPointer(OpenSCManagerA(nullptr, nullptr, access));
}

ServiceManager::Handle Win32ServiceManager::Open(Handle manager, const std::string& name,
                                                 std::uint32_t access) {
  return FromPointer(OpenServiceA(AsScHandle(manager), name.c_str(), access));
}

ServiceManager::Handle Win32ServiceManager::Create(Handle manager, const Definition& definition) {
  return FromPointer(CreateServiceA(
      AsScHandle(manager), definition.name.c_str(), definition.display_name.c_str(),
      definition.access, definition.service_type, definition.start_type, definition.error_control,
      definition.command_line.c_str(), nullptr, nullptr, nullptr, nullptr, nullptr));
}

bool Win32ServiceManager::Delete(Handle service) {
  return DeleteService(AsScHandle(service)) != FALSE;
}

void Win32ServiceManager::Close(Handle handle) {
  if (handle != 0) CloseServiceHandle(AsScHandle(handle));
}

bool Win32ServiceManager::QueryStatus(Handle service, Status* status) {
  SERVICE_STATUS raw = {};
  if (!QueryServiceStatus(AsScHandle(service), &raw)) return false;
  *status = Status{raw.dwServiceType,
                   raw.dwCurrentState,
                   raw.dwControlsAccepted,
                   raw.dwWin32ExitCode,
                   raw.dwServiceSpecificExitCode,
                   raw.dwCheckPoint,
                   raw.dwWaitHint};
  return true;
}

bool Win32ServiceManager::Start(Handle service) {
  return StartServiceA(AsScHandle(service), 0, nullptr) != FALSE;
}

bool Win32ServiceManager::StartDispatcher(const std::string& name, ServiceMainFunction main) {
  g_service_main = main;
  std::vector<char> service_name(name.begin(), name.end());
  service_name.push_back('\0');
  SERVICE_TABLE_ENTRYA table[] = {{service_name.data(), &ServiceMainTrampoline},
                                  {nullptr, nullptr}};
  return StartServiceCtrlDispatcherA(table) != FALSE;
}

ServiceManager::Handle Win32ServiceManager::RegisterControlHandler(const std::string& name,
                                                                   ControlFunction handler) {
  g_control = handler;
  return FromPointer(RegisterServiceCtrlHandlerA(name.c_str(), &ControlTrampoline));
}

bool Win32ServiceManager::SetStatus(Handle status_handle, const Status& status) {
  SERVICE_STATUS record;
  record.dwServiceType = status.service_type;
  record.dwCurrentState = status.current_state;
  record.dwControlsAccepted = status.controls_accepted;
  record.dwWin32ExitCode = status.win32_exit_code;
  record.dwServiceSpecificExitCode = status.service_specific_exit_code;
  record.dwCheckPoint = status.check_point;
  record.dwWaitHint = status.wait_hint;
  return SetServiceStatus(reinterpret_cast<SERVICE_STATUS_HANDLE>(status_handle), &record) != FALSE;
}

bool Win32ServiceManager::ProgramPath(std::string* path) {
  char buffer[MAX_PATH];
  const DWORD length = GetModuleFileNameA(nullptr, buffer, sizeof(buffer));
  // A path that filled the whole buffer was cut (older systems do not even
  // terminate it); registering a cut path would start some other program.
  if (length == 0 || length >= sizeof(buffer)) {
    if (length != 0) SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return false;
  }
  path->assign(buffer, length);
  return true;
}

std::uint32_t Win32ServiceManager::LastError() const {
  return GetLastError();
}

}  // namespace kivo::platform
