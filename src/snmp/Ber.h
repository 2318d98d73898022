#pragma once

#include <cstddef>
#include <cstdint>

// Basic Encoding Rules primitives shared by the values and the message layer.
// Every length is definite; numbers on the wire are big-endian. They are
// inline: every element of every trap goes through them.
namespace kivo::snmp {

// The last length written in the short form. The long form starts at 127,
// not 128: that is what our peers have always received, so it stays.
constexpr std::size_t kLastShortFormLength = 126;

// Octets of a length in the long form, after its first octet: the fewest
// that hold it.
inline std::size_t BerLongFormOctets(std::size_t length) {
  std::size_t octets = 1;
  while (octets < sizeof(length) && (length >> (8 * octets)) != 0) ++octets;
  return octets;
}

// Number of octets BerWriteLength writes for a length.
inline std::size_t BerLengthSize(std::size_t length) {
  return length <= kLastShortFormLength ? 1 : 1 + BerLongFormOctets(length);
}

// Writes the length octets of a TLV: up to 126 one octet, from 127 on 0x80+n
// followed by n big-endian octets.
inline void BerWriteLength(std::uint8_t*& cursor, std::size_t length) {
  if (length <= kLastShortFormLength) {
    *cursor++ = static_cast<std::uint8_t>(length);
    return;
  }
  const std::size_t octets = BerLongFormOctets(length);
  *cursor++ = static_cast<std::uint8_t>(0x80 + octets);
  for (std::size_t i = octets; i > 0; --i) {
    *cursor++ = static_cast<std::uint8_t>(length >> (8 * (i - 1)));
  }
}

// Octets of a whole TLV whose content is content_length octets long.
inline std::size_t BerElementSize(std::size_t content_length) {
  return 1 + BerLengthSize(content_length) + content_length;
}

// Octets BerWriteSubIdentifier writes for a value.
inline std::size_t BerSubIdentifierSize(std::uint32_t value) {
  std::size_t octets = 1;
  while (octets < 5 && (value >> (7 * octets)) != 0) ++octets;
  return octets;
}

// Writes one object-identifier sub-identifier in base 128 (most significant
// group first, bit 7 set on all octets but the last) and returns the number of
// octets written (1 to 5).
inline std::size_t BerWriteSubIdentifier(std::uint8_t*& cursor, std::uint32_t value) {
  const std::size_t octets = BerSubIdentifierSize(value);
  for (std::size_t i = octets; i > 0; --i) {
    std::uint8_t group = static_cast<std::uint8_t>((value >> (7 * (i - 1))) & 0x7F);
    if (i > 1) group |= 0x80;
    *cursor++ = group;
  }
  return octets;
}

}  // namespace kivo::snmp
