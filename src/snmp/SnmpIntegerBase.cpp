#include "snmp/SnmpIntegerBase.h"

#include <string>

namespace kivo::snmp {

SnmpIntegerBase::SnmpIntegerBase(std::uint8_t tag, const char* type_name, std::int32_t value)
    : SnmpValue(tag, type_name) {
  SnmpIntegerBase::SetValue(value);
}

void SnmpIntegerBase::SetValue(std::int32_t value) {
  value_ = value;
  // Minimal two's complement: drop leading octets while the top nine bits
  // are all equal (the dropped octet is pure sign extension).
  std::uint32_t shifted = static_cast<std::uint32_t>(value);
  std::size_t octets = 4;
  while (octets > 1) {
    const std::uint32_t top_nine = shifted >> 23;
    if (top_nine != 0 && top_nine != 0x1FF) break;
    shifted <<= 8;
    --octets;
  }
  SetContentLength(octets);
}

void SnmpIntegerBase::EncodeContent(std::uint8_t*& cursor) const {
  const std::uint32_t bits = static_cast<std::uint32_t>(value_);
  for (std::size_t i = ContentLength(); i > 0; --i) {
    *cursor++ = static_cast<std::uint8_t>(bits >> (8 * (i - 1)));
  }
}

std::string SnmpIntegerBase::BuildText() const {
  return std::to_string(value_);
}

}  // namespace kivo::snmp
