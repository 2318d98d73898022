#pragma once

#include <cstdint>
#include <string>
#include <variant>

#include "config/RegistryConfig.h"

namespace kivo::forwarding {

// Where and how the trap of one event goes: the root values "version",
// "destination", "port" and "community", read afresh for every event.
struct TrapSettings {
  std::int32_t version = 0;
  std::string destination;
  std::int32_t port = 0;
  std::string community;

  // The four values from the root key (which must be the current key), or
  // the name of the first one that cannot be read. Without all four there is
  // no trap to send: guessing a destination or community would send the
  // event's details to a receiver nobody configured.
  static std::variant<TrapSettings, std::string> Read(config::RegistryConfig& config);
};

}  // namespace kivo::forwarding
