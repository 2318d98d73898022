#pragma once

#include <algorithm>
#include <climits>
#include <cstdint>
#include <utility>

#include "platform/SteadyClock.h"
#include "snmp/EngineId.h"
#include "snmp/SnmpV3Writer.h"

namespace kivo::snmp {

// Kivo as the authoritative engine of its traps: its engine ID, its boots
// (counted by the service, raised at every start before the first message)
// and its time, the seconds since that start: since `start_ms` on the clock,
// or since this object was made.
class LocalEngine {
 public:
  LocalEngine(EngineId id, std::uint32_t boots, platform::SteadyClock clock)
      : clock_(std::move(clock)), start_ms_(clock_()), now_{std::move(id), boots, 0} {}
  LocalEngine(EngineId id, std::uint32_t boots, platform::SteadyClock clock, std::int64_t start_ms)
      : clock_(std::move(clock)), start_ms_(start_ms), now_{std::move(id), boots, 0} {}

  const EngineId& id() const { return now_.id; }

  // The engine as a trap's security parameters carry it now.
  const AuthoritativeEngine& Now() {
    now_.time = static_cast<std::uint32_t>(
        std::clamp<std::int64_t>((clock_() - start_ms_) / 1000, 0, INT32_MAX));
    return now_;
  }

 private:
  platform::SteadyClock clock_;
  std::int64_t start_ms_;
  AuthoritativeEngine now_;
};

}  // namespace kivo::snmp
