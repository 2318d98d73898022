#include "service/ServiceHost.h"

#include <cctype>
#include <ostream>
#include <vector>

namespace kivo::service {
namespace {

using platform::EventReporter;
using platform::ServiceManager;

constexpr char kServicesPath[] = "SYSTEM\\CurrentControlSet\\Services\\";
constexpr char kEventSourcesPath[] = "SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application\\";
// Error, warning and information.
constexpr std::uint32_t kTypesSupported = 7;

// The process's one service object, for the platform's context-free entry
// points.
std::atomic<ServiceHost*> g_service{nullptr};

bool SwitchIs(const char* argument, char letter) {
  return argument[0] == '-' && argument[1] != '\0' &&
         std::tolower(static_cast<unsigned char>(argument[1])) == letter && argument[2] == '\0';
}

// Error codes print as the signed numbers they are in the platform's headers.
std::int32_t AsPrinted(std::uint32_t error) {
  return static_cast<std::int32_t>(error);
}

// Closes a service manager handle when it goes out of scope.
class ScopedServiceHandle {
 public:
  ScopedServiceHandle(ServiceManager& manager, ServiceManager::Handle handle)
      : manager_(manager), handle_(handle) {}
  ~ScopedServiceHandle() {
    if (handle_ != 0) manager_.Close(handle_);
  }
  ScopedServiceHandle(const ScopedServiceHandle&) = delete;
  ScopedServiceHandle& operator=(const ScopedServiceHandle&) = delete;
  ServiceManager::Handle get() const { return handle_; }
  explicit operator bool() const { return handle_ != 0; }

 private:
  ServiceManager& manager_;
  ServiceManager::Handle handle_;
};

}  // namespace

ServiceHost::ServiceHost(const ServicePlatform& platform, const char* name,
                         std::int32_t major_version, std::int32_t minor_version)
    : platform_(platform),
      name_(std::string(name).substr(0, kNameLimit)),
      major_version_(major_version),
      minor_version_(minor_version) {
  status_.service_type = ServiceManager::kOwnProcess;
  status_.current_state = ServiceManager::kStopped;
  status_.controls_accepted = ServiceManager::kAcceptStop;
  g_service = this;
}

ServiceHost::~ServiceHost() {
  ServiceHost* self = this;
  g_service.compare_exchange_strong(self, nullptr);
  if (event_source_ != 0) platform_.events.DeregisterSource(event_source_);
}

bool ServiceHost::ParseCommandLine(int argc, const char* const argv[]) {
  if (argc < 2 || argv[1] == nullptr) return false;
  const char* const command = argv[1];
  std::ostream& out = platform_.out;
  if (SwitchIs(command, 'v')) {
    out << name_ << ", version " << major_version_ << '.' << minor_version_ << '\n';
    out << "The service has" << (IsInstalled() ? " " : " not ") << "been installed.\n";
  } else if (SwitchIs(command, 'i')) {
    if (IsInstalled()) {
      out << name_ << " has already been installed.\n";
    } else if (Install()) {
      out << name_ << " successfully installed.\n";
    } else {
      out << name_ << " failed to install. Error is " << AsPrinted(last_error_) << ".\n";
    }
  } else if (SwitchIs(command, 'u')) {
    if (!IsInstalled()) {
      out << name_ << " has not been installed\n";
    } else if (Uninstall()) {
      out << name_ << " successfully uninstalled.\n";
    } else {
      out << "Could not remove " << name_ << ". Error is " << AsPrinted(last_error_) << ".\n";
    }
  } else {
    return false;
  }
  out.flush();
  return true;
}

bool ServiceHost::IsInstalled() {
  ServiceManager& scm = platform_.manager;
  ScopedServiceHandle manager(scm, scm.OpenManager(ServiceManager::kManagerAllAccess));
  if (!manager) return false;
  ScopedServiceHandle service(scm, scm.Open(manager.get(), name_, ServiceManager::kQueryConfig));
  return static_cast<bool>(service);
}

bool ServiceHost::Install() {
  ServiceManager& scm = platform_.manager;
  ScopedServiceHandle manager(scm, scm.OpenManager(ServiceManager::kManagerAllAccess));
  if (!manager) {
    last_error_ = scm.LastError();
    return false;
  }
  std::string program_path;
  if (!scm.ProgramPath(&program_path)) {
    last_error_ = scm.LastError();
    return false;
  }
  ServiceManager::Definition definition;
  definition.name = name_;
  definition.display_name = name_;
  // Quoted, so that a folder with a blank in its name (C:\Program Files)
  // cannot make the manager start a program named by the path's first word.
  definition.command_line = "\"" + program_path + "\"";
  ScopedServiceHandle service(scm, scm.Create(manager.get(), definition));
  if (!service) {
    last_error_ = scm.LastError();
    return false;
  }

  std::unique_ptr<platform::RegistryKey> source_key;
  const platform::RegStatus status =
      platform_.registry.Create(kEventSourcesPath + name_, &source_key);
  if (status != platform::kRegSuccess) {
    // The service stays registered; the message says why the rest failed.
    last_error_ = static_cast<std::uint32_t>(status);
    return false;
  }
  source_key->SetValue("EventMessageFile", platform::RegType::kExpandText, program_path.c_str(),
                       static_cast<std::uint32_t>(program_path.size() + 1));
  source_key->SetValue("TypesSupported", platform::RegType::kNumber, &kTypesSupported,
                       sizeof(kTypesSupported));
  source_key.reset();

  LogServiceEvent(EventReporter::kInformation, messages::kInstalled, name_.c_str());
  return true;
}

bool ServiceHost::Uninstall() {
  ServiceManager& scm = platform_.manager;
  ScopedServiceHandle manager(scm, scm.OpenManager(ServiceManager::kManagerAllAccess));
  if (!manager) {
    last_error_ = scm.LastError();
    return false;
  }
  ScopedServiceHandle service(scm, scm.Open(manager.get(), name_, ServiceManager::kDeleteAccess));
  if (!service) {
    last_error_ = scm.LastError();
    return false;
  }
  if (scm.Delete(service.get())) {
    LogServiceEvent(EventReporter::kInformation, messages::kRemoved, name_.c_str());
    return true;
  }
  // Taken before the event is reported, which may change the last error.
  last_error_ = scm.LastError();
  LogServiceEvent(EventReporter::kError, messages::kNotRemoved, name_.c_str());
  return false;
}

bool ServiceHost::RegisterEventSource() {
  std::lock_guard<std::mutex> lock(event_source_mutex_);
  if (event_source_ == 0) event_source_ = platform_.events.RegisterSource(name_);
  return event_source_ != 0;
}

void ServiceHost::LogServiceEvent(std::uint16_t type, std::uint32_t id, const char* s1,
                                  const char* s2, const char* s3) {
  // The strings count up to the first absent one, as the platform reads them
  // as one array starting at the first.
  std::vector<std::string> strings;
  for (const char* text : {s1, s2, s3}) {
    if (text == nullptr) break;
    strings.emplace_back(text);
  }
  if (!RegisterEventSource()) return;
  platform_.events.Report(event_source_, type, 0, id, strings);
}

void ServiceHost::StartDispatcher() {
  platform_.manager.StartDispatcher(name_, &ServiceHost::ServiceMain);
}

void ServiceHost::ServiceMain() {
  if (ServiceHost* service = g_service.load()) service->RunService();
}

void ServiceHost::ControlHandler(std::uint32_t control) {
  if (ServiceHost* service = g_service.load()) service->HandleControl(control);
}

void ServiceHost::RunService() {
  {
    std::lock_guard<std::mutex> lock(status_mutex_);
    status_.current_state = ServiceManager::kStartPending;
  }
  status_handle_ = platform_.manager.RegisterControlHandler(name_, &ServiceHost::ControlHandler);
  if (status_handle_ == 0) {
    LogServiceEvent(EventReporter::kError, messages::kNoControlHandler);
    return;
  }
  // Raised before the running report goes out: a stop that the manager sends
  // the moment it sees "running" must find the flag set, or clearing it
  // would be undone here and the service would never stop.
  running_ = 1;
  if (Initialize()) {
    {
      std::lock_guard<std::mutex> lock(status_mutex_);
      status_.win32_exit_code = 0;
      status_.check_point = 0;
      status_.wait_hint = 0;
    }
    RunWork();
  } else {
    running_ = 0;
  }
  SetState(ServiceManager::kStopped);
}

void ServiceHost::RunWork() {
  try {
    Work();
  } catch (...) {
    // A failure the work did not handle must not take the process down from
    // the manager's thread: the service reports itself stopped, with the
    // platform's code for a service that failed that way.
    running_ = 0;
    std::lock_guard<std::mutex> lock(status_mutex_);
    status_.win32_exit_code = platform::kErrorExceptionInService;
  }
}

bool ServiceHost::Initialize() {
  SetState(ServiceManager::kStartPending);
  const bool prepared = Prepare();
  {
    std::lock_guard<std::mutex> lock(status_mutex_);
    status_.win32_exit_code = platform_.manager.LastError();
    status_.check_point = 0;
    status_.wait_hint = 0;
  }
  if (!prepared) {
    LogServiceEvent(EventReporter::kError, messages::kInitializationFailed);
    SetState(ServiceManager::kStopped);
    return false;
  }
  LogServiceEvent(EventReporter::kInformation, messages::kStarted);
  SetState(ServiceManager::kRunning);
  return true;
}

void ServiceHost::SetState(std::uint32_t state) {
  {
    std::lock_guard<std::mutex> lock(status_mutex_);
    status_.current_state = state;
  }
  ReportStatus();
}

void ServiceHost::ReportStatus() {
  platform::ServiceManager::Status snapshot = status();
  // Reported outside the lock: the manager may call the control handler
  // while the report is on its way.
  platform_.manager.SetStatus(status_handle_, snapshot);
}

platform::ServiceManager::Status ServiceHost::status() const {
  std::lock_guard<std::mutex> lock(status_mutex_);
  return status_;
}

void ServiceHost::HandleControl(std::uint32_t control) {
  switch (control) {
    case ServiceManager::kControlStop:
      SetState(ServiceManager::kStopPending);
      HandleStop();
      running_ = 0;
      LogServiceEvent(EventReporter::kInformation, messages::kStopped);
      break;
    case ServiceManager::kControlPause:
      HandlePause();
      break;
    case ServiceManager::kControlContinue:
      HandleContinue();
      break;
    case ServiceManager::kControlInterrogate:
      HandleInterrogate();
      break;
    case ServiceManager::kControlShutdown:
      HandleShutdown();
      break;
    default:
      if (control < ServiceManager::kFirstUserControl || !HandleUserControl(control)) {
        LogServiceEvent(EventReporter::kError, messages::kUnsupportedRequest);
      }
      break;
  }
  ReportStatus();
}

void ServiceHost::Work() {
  while (IsRunning()) platform_.manager.Pause(kWorkSleepMilliseconds);
}

std::string ServiceHost::ServiceKeyPath(const char* subkey) const {
  return kServicesPath + name_ + "\\" + subkey;
}

}  // namespace kivo::service
