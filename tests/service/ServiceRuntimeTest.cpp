#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "service/ServiceTestSupport.h"

namespace kivo::testing {
namespace {

using platform::EventReporter;
using platform::ServiceManager;
using service::ForwardingService;

constexpr std::uint32_t kStopped = ServiceManager::kStopped;
constexpr std::uint32_t kStartPending = ServiceManager::kStartPending;
constexpr std::uint32_t kStopPending = ServiceManager::kStopPending;
constexpr std::uint32_t kRunning = ServiceManager::kRunning;

TEST(ServiceRuntime, EveryControlCodeActsAndReportsTheStatusOnceMore) {
  const struct {
    std::uint32_t control;
    bool unsupported;  // reported as event 106
  } cases[] = {
      {128, false},                                       // saves the idle counter
      {129, true},                                        // a user code this service does not know
      {0, true},    {127, true},                          // codes the platform does not define
      {2, false},   {3, false},  {4, false}, {5, false},  // pause, continue, interrogate, shutdown
  };
  for (const auto& c : cases) {
    FakeServiceMachine machine;
    ForwardingService service(machine.platform(), NoWork);
    EXPECT_EQ(0, RunAsService(machine, service, {c.control, ServiceManager::kControlStop}))
        << c.control;
    const auto events = c.unsupported ? std::vector<std::uint32_t>{105, 106, 108}
                                      : std::vector<std::uint32_t>{105, 108};
    EXPECT_EQ(events, machine.events.ids()) << c.control;
    EXPECT_EQ((std::vector<std::uint32_t>{kStartPending, kRunning, kRunning, kStopPending,
                                          kStopPending, kStopped}),
              machine.manager.reported_states())
        << c.control;
    const bool saved = ReadValue(machine.registry, kStatusKey, "Current").has_value();
    EXPECT_EQ(c.control == 128, saved) << c.control;
    // Every report carries the whole record, under the service's name.
    EXPECT_EQ("kivo", machine.manager.handler_name());
    for (const ServiceManager::Status& status : machine.manager.reported()) {
      EXPECT_EQ(ServiceManager::kOwnProcess, status.service_type);
      EXPECT_EQ(ServiceManager::kAcceptStop, status.controls_accepted);
      EXPECT_EQ(0u, status.win32_exit_code + status.service_specific_exit_code +
                        status.check_point + status.wait_hint);
    }
  }
}

TEST(ServiceRuntime, StopStaysPendingUntilTheWorkReturns) {
  FakeServiceMachine machine;
  std::vector<std::uint32_t> states_when_work_returned;
  forwarding::LoopHost* work_host = nullptr;
  ForwardingService service(machine.platform(), [&](forwarding::LoopHost& host) {
    work_host = &host;
    EXPECT_TRUE(host.IsRunning());
    // The stop arrives while the work is busy; it finishes its round first.
    machine.manager.SendControl(ServiceManager::kControlStop);
    EXPECT_FALSE(host.IsRunning());
    states_when_work_returned = machine.manager.reported_states();
  });
  EXPECT_EQ(0, RunAsService(machine, service, {}));
  EXPECT_EQ(static_cast<forwarding::LoopHost*>(&service), work_host);
  EXPECT_EQ((std::vector<std::uint32_t>{kStartPending, kRunning, kStopPending, kStopPending}),
            states_when_work_returned);
  EXPECT_EQ(kStopped, machine.manager.reported_states().back());
  EXPECT_EQ((std::vector<std::uint32_t>{105, 108}), machine.events.ids());
}

TEST(ServiceRuntime, WorkThatThrowsEndsInStoppedWithTheServiceExceptionCode) {
  FakeServiceMachine machine;
  ForwardingService service(machine.platform(),
                            [](forwarding::LoopHost&) { throw std::runtime_error("unhandled"); });
  EXPECT_EQ(1064, RunAsService(machine, service, {}));
  EXPECT_FALSE(service.IsRunning());
  EXPECT_EQ(kStopped, machine.manager.reported_states().back());
  EXPECT_EQ(1064u, machine.manager.reported().back().win32_exit_code);
}

TEST(ServiceRuntime, AHandlerThatCannotBeRegisteredReportsNothing) {
  FakeServiceMachine machine;
  machine.manager.set_register_handler_error(1063);
  bool worked = false;
  ForwardingService service(machine.platform(), [&](forwarding::LoopHost&) { worked = true; });
  EXPECT_EQ(0, RunAsService(machine, service, {}));
  EXPECT_FALSE(worked);
  EXPECT_TRUE(machine.manager.reported().empty());
  const auto events = machine.events.events();
  ASSERT_EQ(1u, events.size());
  EXPECT_EQ(103u, events[0].id);
  EXPECT_EQ(EventReporter::kError, events[0].type);
}

// A service whose preparation fails, leaving an error code behind.
class UnpreparedService : public service::ServiceHost {
 public:
  explicit UnpreparedService(FakeServiceMachine& machine)
      : ServiceHost(machine.platform(), "unprepared", 1, 0), manager_(machine.manager) {}
  bool worked = false;

 protected:
  bool Prepare() override {
    manager_.SetLastError(1234);
    return false;
  }
  void Work() override { worked = true; }

 private:
  platform::FakeServiceManager& manager_;
};

TEST(ServiceRuntime, FailedPreparationStopsWithTheLastErrorAsExitCode) {
  FakeServiceMachine machine;
  UnpreparedService service(machine);
  EXPECT_EQ(1234, RunAsService(machine, service, {}));
  EXPECT_FALSE(service.worked);
  EXPECT_FALSE(service.IsRunning());
  EXPECT_EQ((std::vector<std::uint32_t>{kStartPending, kStopped, kStopped}),
            machine.manager.reported_states());
  EXPECT_EQ(1234u, machine.manager.reported().back().win32_exit_code);
  EXPECT_EQ((std::vector<std::uint32_t>{104}), machine.events.ids());
}

TEST(ServiceEventSource, IsRegisteredOnFirstUseOnceAndReleasedAtTheEnd) {
  platform::FakeEventReporter reporter;
  {
    service::ServiceEventSource source(reporter, "kivo");
    reporter.set_register_fails(true);
    source.Report(EventReporter::kError, 106);  // lost, nothing else happens
    reporter.set_register_fails(false);
    source.Report(EventReporter::kError, 106);
    source.Report(EventReporter::kInformation, 100, "kivo");
    EXPECT_EQ(1, reporter.registrations());
  }
  EXPECT_EQ(0, reporter.open_sources());
  const auto events = reporter.events();
  ASSERT_EQ(2u, events.size());
  EXPECT_EQ("kivo", events[0].source);
  EXPECT_TRUE(events[0].strings.empty());
  EXPECT_EQ(std::vector<std::string>{"kivo"}, events[1].strings);
}

}  // namespace
}  // namespace kivo::testing
