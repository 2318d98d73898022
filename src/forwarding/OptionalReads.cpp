#include "forwarding/OptionalReads.h"

namespace kivo::forwarding {

std::optional<std::int32_t> TryReadNumber(config::RegistryConfig& config, const char* name) {
  try {
    return config.ReadNumber(name);
  } catch (const config::RegistryReadError&) {
    return std::nullopt;
  }
}

std::optional<std::string> TryReadText(config::RegistryConfig& config, const char* name) {
  try {
    return config.ReadText(name);
  } catch (const config::RegistryReadError&) {
    return std::nullopt;
  }
}

}  // namespace kivo::forwarding
