#pragma once

#include <cstddef>
#include <cstdint>

// Basic Encoding Rules primitives shared by the values and the message layer.
// Every length is definite; numbers on the wire are big-endian.
namespace kivo::snmp {

// Writes the length octets of a TLV. Lengths up to 126 take one octet; from
// 127 on the long form 0x80+n followed by n big-endian octets is used. The
// switch at 127 (not 128) is what our peers have always received, so it stays.
void BerWriteLength(std::uint8_t*& cursor, std::size_t length);

// Number of octets BerWriteLength writes for a length.
std::size_t BerLengthSize(std::size_t length);

// Octets of a whole TLV whose content is content_length octets long.
inline std::size_t BerElementSize(std::size_t content_length) {
  return 1 + BerLengthSize(content_length) + content_length;
}

// Writes one object-identifier sub-identifier in base 128 (most significant
// group first, bit 7 set on all octets but the last) and returns the number of
// octets written (1 to 5).
std::size_t BerWriteSubIdentifier(std::uint8_t*& cursor, std::uint32_t value);

// Octets BerWriteSubIdentifier writes for a value.
std::size_t BerSubIdentifierSize(std::uint32_t value);

}  // namespace kivo::snmp
