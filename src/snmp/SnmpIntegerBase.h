#pragma once

#include <cstdint>

#include "snmp/SnmpValue.h"

namespace kivo::snmp {

// The integer-like values: a signed 32-bit number in minimal two's
// complement (1 to 4 content octets).
class SnmpIntegerBase : public SnmpValue {
 public:
  virtual std::int32_t GetValue() const { return value_; }
  // Stores the value and recomputes the content length. Invalidates nothing:
  // the text form of a value is cached at its first ToText call.
  virtual void SetValue(std::int32_t value);

 protected:
  SnmpIntegerBase(std::uint8_t tag, const char* type_name, std::int32_t value);
  void EncodeContent(std::uint8_t*& cursor) const override;
  std::string BuildText() const override;

 private:
  std::int32_t value_ = 0;
};

}  // namespace kivo::snmp
