#include "service/ServiceHost.h"

#include <atomic>

namespace kivo::service {
namespace {

constexpr char kServicesPath[] = "SYSTEM\\CurrentControlSet\\Services\\";

// The process's one service object, for the platform's context-free entry
// points.
std::atomic<ServiceHost*> g_service{nullptr};

}  // namespace

ServiceHost::ServiceHost(const ServicePlatform& platform, const char* name,
                         std::int32_t major_version, std::int32_t minor_version)
    : registry_(platform.registry),
      name_(std::string(name).substr(0, kNameLimit)),
      events_(platform.events, name_),
      installer_(platform.manager, platform.registry, events_, name_),
      command_line_(installer_, platform.out, name_, major_version, minor_version, platform.status,
                    platform.passphrase),
      runtime_(*this, platform.manager, events_, name_) {
  g_service = this;
}

ServiceHost::~ServiceHost() {
  ServiceHost* self = this;
  g_service.compare_exchange_strong(self, nullptr);
}

void ServiceHost::ServiceMain() {
  if (ServiceHost* service = g_service.load()) service->runtime_.RunService();
}

void ServiceHost::ControlHandler(std::uint32_t control) {
  if (ServiceHost* service = g_service.load()) service->runtime_.HandleControl(control);
}

std::string ServiceHost::ServiceKeyPath(const char* subkey) const {
  const std::string key = kServicesPath + name_;
  return subkey != nullptr ? key + "\\" + subkey : key;
}

}  // namespace kivo::service
