#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kivo::testing {

// Octets as lower-case hex digits without separators, as test vectors are
// written.
inline std::string HexText(const std::uint8_t* octets, std::size_t size) {
  static const char kDigits[] = "0123456789abcdef";
  std::string text;
  for (std::size_t i = 0; i < size; ++i) {
    text += kDigits[octets[i] >> 4];
    text += kDigits[octets[i] & 0x0F];
  }
  return text;
}

inline std::string HexText(const std::vector<std::uint8_t>& octets) {
  return HexText(octets.data(), octets.size());
}

// The octets of hex text; blanks between the pairs are skipped.
inline std::vector<std::uint8_t> FromHex(std::string_view text) {
  auto value = [](char c) { return c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10; };
  std::vector<std::uint8_t> octets;
  for (std::size_t i = 0; i + 1 < text.size();) {
    if (text[i] == ' ') {
      ++i;
      continue;
    }
    octets.push_back(static_cast<std::uint8_t>(value(text[i]) * 16 + value(text[i + 1])));
    i += 2;
  }
  return octets;
}

}  // namespace kivo::testing
