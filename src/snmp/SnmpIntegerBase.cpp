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
  // Minimal two's complement: the fewest octets whose top bit still shows
  // the sign. Folding a negative value onto its complement makes that one
  // question about magnitude for both signs.
  const std::uint32_t folded = static_cast<std::uint32_t>(value < 0 ? ~value : value);
  SetContentLength(folded < 0x80u ? 1 : folded < 0x8000u ? 2 : folded < 0x800000u ? 3 : 4);
}

void SnmpIntegerBase::EncodeContent(std::uint8_t*& cursor) const {
  const std::uint32_t bits = static_cast<std::uint32_t>(value_);
  std::uint8_t* out = cursor;
  switch (ContentLength()) {
    case 5:  // an unsigned count with the top bit set: 00 first
      *out++ = 0x00;
      [[fallthrough]];
    case 4:
      *out++ = static_cast<std::uint8_t>(bits >> 24);
      [[fallthrough]];
    case 3:
      *out++ = static_cast<std::uint8_t>(bits >> 16);
      [[fallthrough]];
    case 2:
      *out++ = static_cast<std::uint8_t>(bits >> 8);
      [[fallthrough]];
    default:
      *out++ = static_cast<std::uint8_t>(bits);
  }
  cursor = out;
}

std::string SnmpIntegerBase::BuildText() const {
  return std::to_string(value_);
}

}  // namespace kivo::snmp
