#include "service/ServiceInstaller.h"

#include <memory>
#include <utility>

namespace kivo::service {
namespace {

using platform::EventReporter;
using platform::ServiceManager;

constexpr char kEventSourcesPath[] = "SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application\\";
// Error, warning and information.
constexpr std::uint32_t kTypesSupported = 7;

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

ServiceInstaller::ServiceInstaller(ServiceManager& manager, platform::Registry& registry,
                                   ServiceEventSource& events, std::string name)
    : manager_(manager), registry_(registry), events_(events), name_(std::move(name)) {}

bool ServiceInstaller::Fail() {
  last_error_ = manager_.LastError();
  return false;
}

bool ServiceInstaller::IsInstalled() {
  ScopedServiceHandle database(manager_, manager_.OpenManager(ServiceManager::kManagerAllAccess));
  if (!database) return false;
  ScopedServiceHandle service(manager_,
                              manager_.Open(database.get(), name_, ServiceManager::kQueryConfig));
  return static_cast<bool>(service);
}

bool ServiceInstaller::Install() {
  ScopedServiceHandle database(manager_, manager_.OpenManager(ServiceManager::kManagerAllAccess));
  if (!database) return Fail();
  std::string program_path;
  if (!manager_.ProgramPath(&program_path)) return Fail();
  ServiceManager::Definition definition;
  definition.name = name_;
  definition.display_name = name_;
  // Quoted, so that a folder with a blank in its name (C:\Program Files)
  // cannot make the manager start a program named by the path's first word.
  definition.command_line = "\"" + program_path + "\"";
  ScopedServiceHandle service(manager_, manager_.Create(database.get(), definition));
  if (!service) return Fail();

  std::unique_ptr<platform::RegistryKey> source_key;
  const platform::RegStatus status = registry_.Create(kEventSourcesPath + name_, &source_key);
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

  events_.Report(EventReporter::kInformation, messages::kInstalled, name_.c_str());
  return true;
}

bool ServiceInstaller::Uninstall() {
  ScopedServiceHandle database(manager_, manager_.OpenManager(ServiceManager::kManagerAllAccess));
  if (!database) return Fail();
  ScopedServiceHandle service(manager_,
                              manager_.Open(database.get(), name_, ServiceManager::kDeleteAccess));
  if (!service) return Fail();
  if (manager_.Delete(service.get())) {
    events_.Report(EventReporter::kInformation, messages::kRemoved, name_.c_str());
    return true;
  }
  // Taken before the event is reported, which may change the last error.
  Fail();
  events_.Report(EventReporter::kError, messages::kNotRemoved, name_.c_str());
  return false;
}

}  // namespace kivo::service
