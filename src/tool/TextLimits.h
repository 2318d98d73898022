#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "config/RegistryConfig.h"

namespace kivo::tool {

// The store reads texts back through a buffer of 128 bytes, so a text field
// whose content ends up in the store takes at most this many characters: a
// longer text would be written but could never be read again, neither by
// this tool nor by the service.
constexpr std::size_t kMaxStoredTextLength = config::RegistryConfig::kTextBufferSize - 1;

// A mapped event id is the low 16 bits of an event identifier, in decimal.
constexpr std::size_t kMaxEventIdDigits = 5;
constexpr std::int32_t kMaxEventId = 65535;

inline bool FitsStore(const std::string& text) {
  return text.size() <= kMaxStoredTextLength;
}

// "<what> must not be longer than 127 characters", for validation messages.
inline std::string TooLongText(const std::string& what) {
  return what + " must not be longer than " + std::to_string(kMaxStoredTextLength) + " characters";
}

}  // namespace kivo::tool
