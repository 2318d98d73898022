#include "service/ForwardingService.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>

#include "platform/fake/FakePerfData.h"
#include "service/ServiceTestSupport.h"

namespace kivo::testing {
namespace {

using service::ForwardingService;

TEST(ForwardingService, PrepareReadsStartAndIncWithDefaults) {
  struct Case {
    const char* what;
    std::function<void(FakeServiceMachine&)> arrange;
    std::int32_t start;
    std::int32_t increment;
  };
  const Case cases[] = {
      {"no parameters key", [](FakeServiceMachine&) {}, 0, 1},
      {"both values",
       [](FakeServiceMachine& m) {
         m.WriteNumber(kParametersKey, "Start", 1000);
         m.WriteNumber(kParametersKey, "Inc", 5);
       },
       1000, 5},
      {"only Start", [](FakeServiceMachine& m) { m.WriteNumber(kParametersKey, "Start", 7); }, 7,
       1},
      {"only Inc, zero", [](FakeServiceMachine& m) { m.WriteNumber(kParametersKey, "Inc", 0); }, 0,
       0},
      {"negative start", [](FakeServiceMachine& m) { m.WriteNumber(kParametersKey, "Start", -3); },
       -3, 1},
      {"a text is not a number",
       [](FakeServiceMachine& m) { m.WriteText(kParametersKey, "Start", "12"); }, 0, 1},
  };
  for (const Case& c : cases) {
    FakeServiceMachine machine;
    c.arrange(machine);
    ForwardingService service(machine.platform(), nullptr);
    ASSERT_TRUE(service.Initialize()) << c.what;
    EXPECT_EQ(c.start, service.start()) << c.what;
    EXPECT_EQ(c.increment, service.increment()) << c.what;
    EXPECT_EQ(c.start, service.current()) << c.what;
    service.CountIdleRound();
    service.CountIdleRound();
    EXPECT_EQ(c.start + 2 * c.increment, service.current()) << c.what;
  }
}

TEST(ForwardingService, SaveCounterWritesCurrentUnderTheStatusKey) {
  FakeServiceMachine machine;
  machine.WriteNumber(kParametersKey, "Start", 40);
  machine.WriteNumber(kParametersKey, "Inc", 2);
  ForwardingService service(machine.platform(), nullptr);
  ASSERT_TRUE(service.Initialize());
  service.SaveCounter();
  EXPECT_EQ(40, machine.ReadNumber(kStatusKey, "Current"));
  service.CountIdleRound();
  service.SaveCounter();
  EXPECT_EQ(42, machine.ReadNumber(kStatusKey, "Current"));
}

TEST(ForwardingService, TheIdleCounterWrapsLikeA32BitCounter) {
  FakeServiceMachine machine;
  machine.WriteNumber(kParametersKey, "Start", 2147483647);
  ForwardingService service(machine.platform(), nullptr);
  ASSERT_TRUE(service.Initialize());
  service.CountIdleRound();
  EXPECT_EQ(-2147483647 - 1, service.current());
}

TEST(ForwardingService, TheWorkRunsWithTheServiceAsItsHost) {
  FakeServiceMachine machine;
  machine.manager.set_started_by_manager(true);
  forwarding::LoopHost* seen = nullptr;
  bool running_during_work = false;
  ForwardingService* service_pointer = nullptr;
  ForwardingService service(machine.platform(), [&](forwarding::LoopHost& host) {
    seen = &host;
    running_during_work = host.IsRunning();
    host.CountIdleRound();
    machine.manager.SendControl(128);
    machine.manager.SendControl(1);
  });
  service_pointer = &service;
  service.StartDispatcher();
  EXPECT_EQ(static_cast<forwarding::LoopHost*>(service_pointer), seen);
  EXPECT_TRUE(running_during_work);
  EXPECT_EQ(1, machine.ReadNumber(kStatusKey, "Current"));
}

TEST(ForwardingService, KeepsTheUptimeCounterUntilItIsDestroyed) {
  FakeServiceMachine machine;
  platform::FakePerfData pdh;
  pdh.set_uptime_seconds(3600);
  {
    ForwardingService service(machine.platform(), nullptr);
    perf::UptimeCounter& kept =
        service.KeepUptimeCounter(std::make_unique<perf::UptimeCounter>(pdh));
    EXPECT_EQ(354000, kept.GetUptimeTicks());
    EXPECT_EQ(1, pdh.open_queries());
  }
  EXPECT_EQ(0, pdh.open_queries());
}

}  // namespace
}  // namespace kivo::testing
