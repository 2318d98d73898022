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
  settings.version = *version;
  const auto community = TryReadText(config, names::kCommunity);
  if (!community && !settings.snmp_v3()) return std::string(names::kCommunity);
  settings.destination = *destination;
  settings.port = *port;
  settings.community = community.value_or("");
  settings.inform = TryReadNumber(config, names::kInform).value_or(0) != 0;
  if (settings.snmp_v3()) {
    settings.usm.user = TryReadText(config, names::kV3User);
    settings.usm.level = TryReadNumber(config, names::kV3Level);
    settings.usm.auth = TryReadText(config, names::kV3Auth);
    settings.usm.priv = TryReadText(config, names::kV3Priv);
  }
  return settings;
}

}  // namespace kivo::forwarding
