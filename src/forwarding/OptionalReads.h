#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "config/RegistryConfig.h"

namespace kivo::forwarding {

// Reads of the current key that give nothing instead of throwing when the
// value is missing, its key is not open or the text does not fit the read
// buffer: every stage decides on the spot what an unreadable value means.
std::optional<std::int32_t> TryReadNumber(config::RegistryConfig& config, const char* name);
std::optional<std::string> TryReadText(config::RegistryConfig& config, const char* name);

}  // namespace kivo::forwarding
