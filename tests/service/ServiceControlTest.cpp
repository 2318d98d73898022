#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "service/ForwardingService.h"
#include "service/ProgramEntry.h"
#include "service/ServiceTestSupport.h"

namespace kivo::testing {
namespace {

using platform::EventReporter;
using platform::ServiceManager;
using service::ForwardingService;
using service::ServiceHost;

constexpr std::uint32_t kStopped = ServiceManager::kStopped;
constexpr std::uint32_t kStartPending = ServiceManager::kStartPending;
constexpr std::uint32_t kStopPending = ServiceManager::kStopPending;
constexpr std::uint32_t kRunning = ServiceManager::kRunning;

// Runs the program as the manager starts it, sending the given control codes
// the moment the service reports itself running. Returns the exit code.
int RunAsService(FakeServiceMachine& machine, ServiceHost& service,
                 const std::vector<std::uint32_t>& controls) {
  machine.manager.set_started_by_manager(true);
  bool sent = false;
  machine.manager.set_on_status([&machine, &sent, controls](const ServiceManager::Status& s) {
    if (s.current_state != kRunning || sent) return;
    sent = true;
    for (std::uint32_t control : controls) machine.manager.SendControl(control);
  });
  const char* argv[] = {"kivo.exe"};
  return service::RunProgram(service, 1, argv);
}

TEST(ServiceControl, EveryControlCodeActsAndReportsTheStatusOnceMore) {
  struct Case {
    std::uint32_t control;
    std::vector<std::uint32_t> events;  // between the start (105) and stop (108) messages
  };
  const Case cases[] = {
      {128, {}},     // saves the idle counter
      {129, {106}},  // user codes this service does not know
      {255, {106}},  //
      {0, {106}},    // codes the platform does not define
      {6, {106}},    //
      {127, {106}},  //
      {2, {}},       // pause, continue, interrogate and shutdown do nothing
      {3, {}},       //
      {4, {}},       //
      {5, {}},       //
  };
  for (const Case& c : cases) {
    FakeServiceMachine machine;
    ForwardingService service(machine.platform(), service::IdleWork(machine.manager));
    EXPECT_EQ(0, RunAsService(machine, service, {c.control, ServiceManager::kControlStop}))
        << c.control;

    std::vector<std::uint32_t> events = {105};
    events.insert(events.end(), c.events.begin(), c.events.end());
    events.push_back(108);
    EXPECT_EQ(events, machine.events.ids()) << c.control;
    EXPECT_EQ((std::vector<std::uint32_t>{kStartPending, kRunning, kRunning, kStopPending,
                                          kStopPending, kStopped}),
              machine.manager.reported_states())
        << c.control;
    EXPECT_EQ(c.control == 128 ? 0 : -1, machine.ReadNumber(kStatusKey, "Current")) << c.control;
  }
}

TEST(ServiceControl, ReportsFollowTheLifecycleWithTheRecordsFields) {
  FakeServiceMachine machine;
  ForwardingService service(machine.platform(), service::IdleWork(machine.manager));
  EXPECT_EQ(0, RunAsService(machine, service, {ServiceManager::kControlStop}));
  EXPECT_EQ("kivo", machine.manager.dispatcher_name());
  EXPECT_EQ("kivo", machine.manager.handler_name());
  const auto reported = machine.manager.reported();
  ASSERT_EQ(5u, reported.size());
  for (const ServiceManager::Status& status : reported) {
    EXPECT_EQ(0x10u, status.service_type);
    EXPECT_EQ(1u, status.controls_accepted);
    EXPECT_EQ(0u, status.win32_exit_code);
    EXPECT_EQ(0u, status.service_specific_exit_code);
    EXPECT_EQ(0u, status.check_point);
    EXPECT_EQ(0u, status.wait_hint);
  }
  const auto events = machine.events.events();
  ASSERT_EQ(2u, events.size());
  EXPECT_EQ(EventReporter::kInformation, events[0].type);
  EXPECT_EQ(EventReporter::kInformation, events[1].type);
  EXPECT_TRUE(events[0].strings.empty());
  EXPECT_FALSE(service.IsRunning());
}

TEST(ServiceControl, StopStaysPendingUntilTheWorkReturns) {
  FakeServiceMachine machine;
  std::vector<std::uint32_t> states_when_work_returned;
  ForwardingService service(machine.platform(), [&](forwarding::LoopHost& host) {
    // The stop arrives while the work is busy; it finishes its round first.
    machine.manager.SendControl(ServiceManager::kControlStop);
    EXPECT_FALSE(host.IsRunning());
    states_when_work_returned = machine.manager.reported_states();
  });
  EXPECT_EQ(0, RunAsService(machine, service, {}));
  EXPECT_EQ((std::vector<std::uint32_t>{kStartPending, kRunning, kStopPending, kStopPending}),
            states_when_work_returned);
  EXPECT_EQ(kStopped, machine.manager.reported_states().back());
  EXPECT_EQ((std::vector<std::uint32_t>{105, 108}), machine.events.ids());
}

TEST(ServiceControl, WorkThatThrowsEndsInStoppedWithTheServiceExceptionCode) {
  FakeServiceMachine machine;
  ForwardingService service(machine.platform(),
                            [](forwarding::LoopHost&) { throw std::runtime_error("unhandled"); });
  EXPECT_EQ(1064, RunAsService(machine, service, {}));
  EXPECT_FALSE(service.IsRunning());
  EXPECT_EQ(kStopped, machine.manager.reported_states().back());
  EXPECT_EQ(1064u, machine.manager.reported().back().win32_exit_code);
}

TEST(ServiceControl, IdleWorkNoticesAStopWithinOneStep) {
  FakeServiceMachine machine;
  int pauses = 0;
  machine.manager.set_on_pause([&](std::uint32_t) {
    if (++pauses == 3) machine.manager.SendControl(ServiceManager::kControlStop);
  });
  ForwardingService service(machine.platform(), service::IdleWork(machine.manager));
  EXPECT_EQ(0, RunAsService(machine, service, {}));
  EXPECT_EQ(3, pauses);
  EXPECT_EQ(1500u, machine.manager.paused_milliseconds());
}

TEST(ServiceControl, TheHostsOwnWorkSleepsFiveSecondsAtATime) {
  FakeServiceMachine machine;
  int pauses = 0;
  machine.manager.set_on_pause([&](std::uint32_t) {
    if (++pauses == 2) machine.manager.SendControl(ServiceManager::kControlStop);
  });
  ServiceHost host(machine.platform(), "plain", 1, 0);
  EXPECT_EQ(0, RunAsService(machine, host, {129}));
  EXPECT_EQ(10000u, machine.manager.paused_milliseconds());
  // The host itself knows no user codes.
  EXPECT_EQ((std::vector<std::uint32_t>{105, 106, 108}), machine.events.ids());
}

TEST(ServiceControl, AHandlerThatCannotBeRegisteredReportsNothing) {
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

// A host whose preparation fails, leaving an error code behind.
class UnpreparedHost : public ServiceHost {
 public:
  UnpreparedHost(const service::ServicePlatform& platform, platform::FakeServiceManager& manager)
      : ServiceHost(platform, "unprepared", 1, 0), manager_(manager) {}
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

TEST(ServiceControl, FailedPreparationStopsWithTheLastErrorAsExitCode) {
  FakeServiceMachine machine;
  UnpreparedHost host(machine.platform(), machine.manager);
  EXPECT_EQ(1234, RunAsService(machine, host, {}));
  EXPECT_FALSE(host.worked);
  EXPECT_FALSE(host.IsRunning());
  EXPECT_EQ((std::vector<std::uint32_t>{kStartPending, kStopped, kStopped}),
            machine.manager.reported_states());
  EXPECT_EQ(1234u, machine.manager.reported().back().win32_exit_code);
  EXPECT_EQ((std::vector<std::uint32_t>{104}), machine.events.ids());
}

TEST(ServiceEvents, TheSourceIsRegisteredOnceAndReleasedWithTheService) {
  FakeServiceMachine machine;
  {
    ServiceHost host(machine.platform(), "kivo", 3, 9);
    host.LogServiceEvent(EventReporter::kError, 106);
    host.LogServiceEvent(EventReporter::kInformation, 100, "a", "b", "c");
    host.LogServiceEvent(EventReporter::kInformation, 101, "a", nullptr, "c");
    EXPECT_EQ(1, machine.events.registrations());
    EXPECT_EQ(1, machine.events.open_sources());
  }
  EXPECT_EQ(0, machine.events.open_sources());
  const auto events = machine.events.events();
  ASSERT_EQ(3u, events.size());
  EXPECT_TRUE(events[0].strings.empty());
  EXPECT_EQ((std::vector<std::string>{"a", "b", "c"}), events[1].strings);
  // The strings end at the first absent one.
  EXPECT_EQ((std::vector<std::string>{"a"}), events[2].strings);
}

TEST(ServiceEvents, ASourceThatCannotBeRegisteredCostsOnlyItsMessages) {
  FakeServiceMachine machine;
  ServiceHost host(machine.platform(), "kivo", 3, 9);
  machine.events.set_register_fails(true);
  host.LogServiceEvent(EventReporter::kError, 106);
  EXPECT_TRUE(machine.events.ids().empty());
  machine.events.set_register_fails(false);
  host.LogServiceEvent(EventReporter::kError, 106);
  EXPECT_EQ((std::vector<std::uint32_t>{106}), machine.events.ids());
}

TEST(ServiceHost, TheNameIsCutAtSixtyThreeCharacters) {
  FakeServiceMachine machine;
  const std::string long_name(80, 'n');
  ServiceHost host(machine.platform(), long_name.c_str(), 3, 9);
  EXPECT_EQ(std::string(63, 'n'), host.name());
  const char* argv[] = {"x", "-v"};
  host.ParseCommandLine(2, argv);
  EXPECT_EQ(std::string(63, 'n') + ", version 3.9\nThe service has not been installed.\n",
            machine.out.str());
}

}  // namespace
}  // namespace kivo::testing
