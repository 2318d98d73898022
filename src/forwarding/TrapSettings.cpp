#include "forwarding/TrapSettings.h"

#include "forwarding/OptionalReads.h"

namespace kivo::forwarding {

namespace names = config::names;

std::variant<TrapSettings, std::string> TrapSettings::Read(config::RegistryConfig& config) {
  TrapSettings settings;
  const auto version = TryReadNumber(config, names::kVersion);
  if (!version) return std::string(names::kVersion);
  const auto destination = TryReadText(config, names::kDestination);
  if (!destination) return std::string(names::kDestination);
  const auto port = TryReadNumber(config, names::kPort);
  if (!port) return std::string(names::kPort);
  const auto community = TryReadText(config, names::kCommunity);
  if (!community) return std::string(names::kCommunity);
  settings.version = *version;
  settings.destination = *destination;
  settings.port = *port;
  settings.community = *community;
  return settings;
}

}  // namespace kivo::forwarding
