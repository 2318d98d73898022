#pragma once

#include <sstream>
#include <vector>

#include "platform/fake/FakeEventReporter.h"
#include "platform/fake/FakeRegistry.h"
#include "platform/fake/FakeServiceManager.h"
#include "service/ForwardingService.h"
#include "service/ProgramEntry.h"
#include "support/TestSupport.h"

namespace kivo::testing {

// The service host's machine, all in memory.
struct FakeServiceMachine {
  platform::FakeServiceManager manager;
  platform::FakeEventReporter events;
  platform::FakeRegistry registry;
  std::ostringstream out;

  service::ServicePlatform platform() { return {manager, events, registry, out}; }
};

constexpr char kParametersKey[] = "SYSTEM\\CurrentControlSet\\Services\\kivo\\Parameters";
constexpr char kStatusKey[] = "SYSTEM\\CurrentControlSet\\Services\\kivo\\Status";

// Work that returns at once, for cases about everything but the work.
inline void NoWork(forwarding::LoopHost&) {}

// Runs the program as the manager starts it, sending the given control codes
// the moment the service reports itself running. Returns the exit code.
inline int RunAsService(FakeServiceMachine& machine, service::ServiceHost& service,
                        const std::vector<std::uint32_t>& controls) {
  machine.manager.set_started_by_manager(true);
  bool sent = false;
  machine.manager.set_on_status([&machine, &sent, controls](const auto& status) {
    if (status.current_state != platform::ServiceManager::kRunning || sent) return;
    sent = true;
    for (std::uint32_t control : controls) machine.manager.SendControl(control);
  });
  const char* argv[] = {"kivo.exe"};
  return service::RunProgram(service, 1, argv);
}

}  // namespace kivo::testing
