#include "snmp/SnmpIntegerBase.h"

#include <string>

namespace kivo::snmp {

SnmpIntegerBase::SnmpIntegerBase(std::uint8_t tag, const char* type_name, Range range,
                                 std::int32_t value)
    : SnmpValue(tag, type_name), range_(range) {
  SnmpIntegerBase::SetValue(value);
}

void SnmpIntegerBase::SetValue(std::int32_t value) {
  value_ = value;
  ForgetText();
  if (range_ == Range::kUnsigned && value < 0) {
    SetContentLength(5);  // 00, then the four octets of the count
    return;
  }
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
  std::size_t octets = ContentLength();
  if (octets == 5) {
    *cursor++ = 0x00;
    octets = 4;
  }
  for (std::size_t i = octets; i > 0; --i) {
    *cursor++ = static_cast<std::uint8_t>(bits >> (8 * (i - 1)));
  }
}

std::string SnmpIntegerBase::BuildText() const {
  return std::to_string(value_);
}

}  // namespace kivo::snmp
