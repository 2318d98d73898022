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

// A service whose preparation may fail, leaving an error code behind, and
// whose work may throw.
class FailingService : public service::ServiceHost {
 public:
  FailingService(FakeServiceMachine& machine, bool prepares, bool throws)
      : ServiceHost(machine.platform(), "kivo", 1, 0),
        manager_(machine.manager),
        prepares_(prepares),
        throws_(throws) {}
  bool worked = false;

 protected:
  bool Prepare() override {
    if (!prepares_) manager_.SetLastError(1234);
    return prepares_;
  }
  void Work() override {
    worked = true;
    if (throws_) throw std::runtime_error("unhandled");
  }

 private:
  platform::FakeServiceManager& manager_;
  bool prepares_, throws_;
};

TEST(ServiceRuntime, FailuresEndInStoppedWithTheirExitCodeAndEvent) {
  const struct {
    const char* what;
    std::uint32_t handler_error;
    bool prepares, throws;
    int exit_code;  // also the last report's
    std::vector<std::uint32_t> states, events;
  } cases[] = {
      {"no control handler: nothing reported", 1063, true, false, 0, {}, {103}},
      {"preparation fails", 0, false, false, 1234, {kStartPending, kStopped, kStopped}, {104}},
      {"the work throws", 0, true, true, 1064, {kStartPending, kRunning, kStopped}, {105}},
  };
  for (const auto& c : cases) {
    FakeServiceMachine machine;
    machine.manager.set_register_handler_error(c.handler_error);
    FailingService service(machine, c.prepares, c.throws);
    EXPECT_EQ(c.exit_code, RunAsService(machine, service, {})) << c.what;
    EXPECT_EQ(c.handler_error == 0 && c.prepares, service.worked) << c.what;
    EXPECT_FALSE(service.IsRunning()) << c.what;
    EXPECT_EQ(c.states, machine.manager.reported_states()) << c.what;
    if (!c.states.empty()) {
      EXPECT_EQ(static_cast<std::uint32_t>(c.exit_code),
                machine.manager.reported().back().win32_exit_code)
          << c.what;
    }
    EXPECT_EQ(c.events, machine.events.ids()) << c.what;
  }
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
