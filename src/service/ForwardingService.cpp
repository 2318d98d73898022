#include "service/ForwardingService.h"

namespace kivo::service {

ForwardingService::ForwardingService(const ServicePlatform& platform, WorkFunction work)
    : ServiceHost(platform, kName, kMajorVersion, kMinorVersion), work_(std::move(work)) {}

// The uptime counter goes first, then the host's event source.
ForwardingService::~ForwardingService() {
  uptime_counter_.reset();
}

void ForwardingService::CountIdleRound() {
  // Wraps like the 32-bit counter it is, instead of overflowing.
  const auto next =
      static_cast<std::uint32_t>(current_.load()) + static_cast<std::uint32_t>(increment_);
  current_ = static_cast<std::int32_t>(next);
}

perf::UptimeCounter& ForwardingService::KeepUptimeCounter(
    std::unique_ptr<perf::UptimeCounter> counter) {
  uptime_counter_ = std::move(counter);
  return *uptime_counter_;
}

void ForwardingService::ReportServiceEvent(std::uint16_t type, std::uint32_t id,
                                           const std::vector<std::string>& inserts) {
  // The message table's texts take at most two inserts.
  const auto insert = [&inserts](std::size_t i) {
    return i < inserts.size() ? inserts[i].c_str() : nullptr;
  };
  LogServiceEvent(type, id, insert(0), insert(1), insert(2));
}

void ForwardingService::Work() {
  work_(*this);
}

std::int32_t ForwardingService::ReadParameter(platform::RegistryKey* key, const char* name,
                                              std::int32_t fallback) {
  if (key == nullptr) return fallback;
  std::int32_t value = 0;
  platform::RegType type = platform::RegType::kNone;
  std::uint32_t size = sizeof(value);
  if (key->QueryValue(name, &type, &value, &size) != platform::kRegSuccess ||
      type != platform::RegType::kNumber || size != sizeof(value)) {
    return fallback;
  }
  return value;
}

bool ForwardingService::Prepare() {
  std::unique_ptr<platform::RegistryKey> parameters;
  registry().Open(ServiceKeyPath("Parameters"), &parameters);
  start_ = ReadParameter(parameters.get(), "Start", 0);
  increment_ = ReadParameter(parameters.get(), "Inc", 1);
  current_ = start_;
  return true;
}

void ForwardingService::SaveCounter() {
  std::unique_ptr<platform::RegistryKey> status_key;
  if (registry().Create(ServiceKeyPath("Status"), &status_key) != platform::kRegSuccess) return;
  const std::int32_t value = current_.load();
  status_key->SetValue("Current", platform::RegType::kNumber, &value, sizeof(value));
}

bool ForwardingService::HandleUserControl(std::uint32_t control) {
  if (control != kSaveCounterControl) return false;
  SaveCounter();
  return true;
}

}  // namespace kivo::service
