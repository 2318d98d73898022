#include "service/ForwardingService.h"

#include <gtest/gtest.h>

#include <limits>

#include "platform/fake/FakePerfData.h"
#include "service/ServiceTestSupport.h"

namespace kivo::testing {
namespace {

using platform::RegType;
using service::ForwardingService;

// The idle counter as user control code 128 saves it.
std::optional<StoredValue> SavedCounter(FakeServiceMachine& machine, ForwardingService& service) {
  service.SaveCounter();
  return ReadValue(machine.registry, kStatusKey, "Current");
}

TEST(ForwardingService, TheIdleCounterStartsAtStartAndAdvancesByInc) {
  constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
  constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
  constexpr RegType kAbsent = RegType::kNone;
  constexpr RegType kDword = RegType::kNumber;
  const struct {
    const char* what;
    RegType start_type;
    std::int32_t start;
    RegType inc_type;
    std::int32_t inc;
    std::int32_t expected_start;
    std::int32_t expected_after_two_rounds;
  } cases[] = {
      {"no parameters", kAbsent, 0, kAbsent, 0, 0, 2},
      {"both values", kDword, 1000, kDword, 5, 1000, 1010},
      {"only Start", kDword, -3, kAbsent, 0, -3, -1},
      {"Inc zero", kAbsent, 0, kDword, 0, 0, 0},
      {"a text is not a number", RegType::kText, 0x3231, kAbsent, 0, 0, 2},  // "12"
      {"wraps like a 32-bit counter", kDword, kMax, kAbsent, 0, kMax, kMin + 1},
  };
  for (const auto& c : cases) {
    FakeServiceMachine machine;
    if (c.start_type != kAbsent) {
      WriteValue(machine.registry, kParametersKey, "Start", {c.start_type, Dword(c.start)});
    }
    if (c.inc_type != kAbsent) {
      WriteValue(machine.registry, kParametersKey, "Inc", {c.inc_type, Dword(c.inc)});
    }
    ForwardingService service(machine.platform(), NoWork);
    ASSERT_TRUE(service.Initialize()) << c.what;
    const StoredValue start{RegType::kNumber, Dword(c.expected_start)};
    EXPECT_EQ(start, SavedCounter(machine, service)) << c.what;
    service.CountIdleRound();
    service.CountIdleRound();
    const StoredValue after{RegType::kNumber, Dword(c.expected_after_two_rounds)};
    EXPECT_EQ(after, SavedCounter(machine, service)) << c.what;
  }
}

TEST(ForwardingService, KeepsTheUptimeCounterUntilItIsDestroyed) {
  FakeServiceMachine machine;
  platform::FakePerfData pdh;
  pdh.set_uptime_seconds(3600);
  {
    ForwardingService service(machine.platform(), NoWork);
    perf::UptimeCounter& kept =
        service.KeepUptimeCounter(std::make_unique<perf::UptimeCounter>(pdh));
    EXPECT_EQ(354000, kept.GetUptimeTicks());
    EXPECT_EQ(1, pdh.open_queries());
  }
  EXPECT_EQ(0, pdh.open_queries());
}

}  // namespace
}  // namespace kivo::testing
