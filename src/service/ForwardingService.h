#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>

#include "forwarding/LoopHost.h"
#include "perf/UptimeCounter.h"
#include "service/ServiceHost.h"

namespace kivo::service {

// The service "kivo": the service host running the forwarding work, with the
// idle counter that the work advances and that user control code 128 saves
// to the registry.
class ForwardingService : public ServiceHost, public forwarding::LoopHost {
 public:
  // The work the service does while it runs, the forwarding run loop; it
  // returns once IsRunning() has turned false.
  using WorkFunction = std::function<void(forwarding::LoopHost&)>;

  static constexpr char kName[] = "kivo";
  static constexpr std::int32_t kMajorVersion = 3;
  static constexpr std::int32_t kMinorVersion = 9;
  static constexpr std::uint32_t kSaveCounterControl = 128;

  ForwardingService(const ServicePlatform& platform, WorkFunction work);
  ~ForwardingService() override;

  // forwarding::LoopHost
  bool IsRunning() const override { return ServiceHost::IsRunning(); }
  bool StopRequested() const override { return !ServiceHost::IsRunning(); }
  void CountIdleRound() override;
  perf::UptimeCounter& KeepUptimeCounter(std::unique_ptr<perf::UptimeCounter> counter) override;
  std::string ServiceKey() const override { return ServiceKeyPath(nullptr); }
  void ReportServiceEvent(std::uint16_t type, std::uint32_t id,
                          const std::vector<std::string>& inserts) override;

  // Writes the idle counter's current value as "Current" under the
  // service's status key.
  void SaveCounter();

 protected:
  void Work() override;
  bool Prepare() override;
  bool HandleUserControl(std::uint32_t control) override;

 private:
  // A REG_DWORD of the parameters key; `fallback` when it cannot be read.
  std::int32_t ReadParameter(platform::RegistryKey* key, const char* name, std::int32_t fallback);

  WorkFunction work_;
  std::unique_ptr<perf::UptimeCounter> uptime_counter_;
  std::int32_t start_ = 0;
  std::int32_t increment_ = 1;
  // Advanced by the work's thread, read by the control handler's.
  std::atomic<std::int32_t> current_{0};
};

}  // namespace kivo::service
