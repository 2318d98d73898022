#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <variant>

#include "config/RegistryConfig.h"

namespace kivo::forwarding {

// The SNMPv3 user of the traps as the root key names it: "v3user",
// "v3level" (0 noAuthNoPriv, 1 authNoPriv, 2 authPriv), "v3auth" and
// "v3priv", each as read, or nothing when it cannot be read. Whether they
// can be used is the sender's to judge, with the reason when not.
struct UsmSettings {
  std::optional<std::string> user;
  std::optional<std::int32_t> level;
  std::optional<std::string> auth;
  std::optional<std::string> priv;
};

// Where and how the trap of one event goes: the root values "version",
// "destination", "port" and "community", read afresh for every event; with
// them "inform" and, for SNMPv3, its user.
struct TrapSettings {
  // The version field of an SNMPv3 message: "version" 3 sends SNMPv3.
  static constexpr std::int32_t kSnmpV3 = 3;

  std::int32_t version = 0;
  std::string destination;
  std::int32_t port = 0;
  std::string community;  // not used by SNMPv3
  // "inform" non-zero: an InformRequest, acknowledged by the receiver
  // (SNMPv2c and SNMPv3).
  bool inform = false;
  UsmSettings usm{};  // read for SNMPv3 only

  bool snmp_v3() const { return version == kSnmpV3; }

  // The values from the root key (which must be the current key), or the
  // name of the first one that cannot be read of "version", "destination",
  // "port" and, but for SNMPv3, "community". Without them there is no trap
  // to send: guessing a destination or community would send the event's
  // details to a receiver nobody configured. A missing "inform" is off.
  static std::variant<TrapSettings, std::string> Read(config::RegistryConfig& config);
};

}  // namespace kivo::forwarding
