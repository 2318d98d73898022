#pragma once

#include <cstdint>

#include "snmp/SnmpValue.h"

namespace kivo::snmp {

// The integer-like values: a 32-bit number in minimal two's complement.
// INTEGER is signed (1 to 4 content octets). An unsigned type (TimeTicks)
// holds its 32 bits as a non-negative number: a count with the top bit set
// gets a leading 00 octet (5 content octets), so that receivers decode the
// count itself rather than a negative or truncated number.
class SnmpIntegerBase : public SnmpValue {
 public:
  virtual std::int32_t GetValue() const { return value_; }
  // Stores the value and recomputes the content length. A text form cached
  // by an earlier ToText is dropped, so that ToText never shows a value the
  // object no longer holds.
  virtual void SetValue(std::int32_t value);

 protected:
  enum class Range { kSigned, kUnsigned };
  SnmpIntegerBase(std::uint8_t tag, const char* type_name, Range range, std::int32_t value);
  void EncodeContent(std::uint8_t*& cursor) const override;
  std::string BuildText() const override;

 private:
  Range range_;
  std::int32_t value_ = 0;
};

}  // namespace kivo::snmp
