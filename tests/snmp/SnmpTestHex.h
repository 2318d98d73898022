#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "snmp/SnmpEncodable.h"

namespace kivo::testing {

// A piece of text repeated: long and many-component OID texts.
inline std::string Repeat(const std::string& piece, std::size_t times) {
  std::string text;
  for (std::size_t i = 0; i < times; ++i) text += piece;
  return text;
}

// Octets as upper-case hex pairs separated by single spaces ("30 0B 02"),
// the way the wire layouts are written down.
inline std::string Hex(const std::vector<std::uint8_t>& octets) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string text;
  for (std::uint8_t octet : octets) {
    if (!text.empty()) text += ' ';
    text += kDigits[octet >> 4];
    text += kDigits[octet & 0x0F];
  }
  return text;
}

// Encodes an object into a buffer of exactly its declared size; the guard
// octets behind it catch any write past the declared size.
template <typename Encodable>
std::vector<std::uint8_t> EncodeExactly(const Encodable& object) {
  const std::size_t size = object.EncodedSize();
  std::vector<std::uint8_t> buffer(size + 8, 0xEE);
  std::uint8_t* cursor = buffer.data();
  object.Encode(cursor);
  const std::size_t written = static_cast<std::size_t>(cursor - buffer.data());
  if (written != size) return {};  // an empty result fails every comparison
  for (std::size_t i = size; i < buffer.size(); ++i) {
    if (buffer[i] != 0xEE) return {};
  }
  buffer.resize(size);
  return buffer;
}

}  // namespace kivo::testing
