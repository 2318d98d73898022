#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "platform/Crypto.h"

namespace kivo::snmp {

// An snmpEngineID (RFC 3411): 5 to 32 octets. The empty one stands for an
// engine not yet known, as in a discovery probe.
class EngineId {
 public:
  static constexpr std::size_t kMinSize = 5;
  static constexpr std::size_t kMaxSize = 32;

  EngineId() = default;

  // The octets as an engine ID; nothing when there are fewer than 5 or more
  // than 32 of them.
  static std::optional<EngineId> FromOctets(const std::uint8_t* octets, std::size_t size);

  // A new engine ID of Kivo's form: enterprise 5309 with the top bit set
  // (80 00 14 9D), format 5 (octets), then 8 random octets. Nothing when
  // the random generator fails.
  static std::optional<EngineId> Make(platform::Crypto& crypto);

  const std::uint8_t* data() const { return octets_.data(); }
  std::size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }

  // Lower-case hex digits without separators, as a management station's
  // configuration takes it after "0x".
  std::string ToHex() const;

  bool operator==(const EngineId& other) const;
  bool operator!=(const EngineId& other) const { return !(*this == other); }

 private:
  std::array<std::uint8_t, kMaxSize> octets_{};
  std::size_t size_ = 0;
};

}  // namespace kivo::snmp
