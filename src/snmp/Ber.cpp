#include "snmp/Ber.h"

namespace kivo::snmp {
namespace {

// Octets of a length in long form: the fewest that hold it.
std::size_t LongFormOctets(std::size_t length) {
  std::size_t octets = 1;
  while (octets < sizeof(length) && (length >> (8 * octets)) != 0) ++octets;
  return octets;
}

constexpr std::size_t kLastShortFormLength = 126;

}  // namespace

void BerWriteLength(std::uint8_t*& cursor, std::size_t length) {
  if (length <= kLastShortFormLength) {
    *cursor++ = static_cast<std::uint8_t>(length);
    return;
  }
  const std::size_t octets = LongFormOctets(length);
  *cursor++ = static_cast<std::uint8_t>(0x80 + octets);
  for (std::size_t i = octets; i > 0; --i) {
    *cursor++ = static_cast<std::uint8_t>(length >> (8 * (i - 1)));
  }
}

std::size_t BerLengthSize(std::size_t length) {
  return length <= kLastShortFormLength ? 1 : 1 + LongFormOctets(length);
}

std::size_t BerSubIdentifierSize(std::uint32_t value) {
  std::size_t octets = 1;
  while (octets < 5 && (value >> (7 * octets)) != 0) ++octets;
  return octets;
}

std::size_t BerWriteSubIdentifier(std::uint8_t*& cursor, std::uint32_t value) {
  const std::size_t octets = BerSubIdentifierSize(value);
  for (std::size_t i = octets; i > 0; --i) {
    std::uint8_t group = static_cast<std::uint8_t>((value >> (7 * (i - 1))) & 0x7F);
    if (i > 1) group |= 0x80;
    *cursor++ = group;
  }
  return octets;
}

}  // namespace kivo::snmp
