#pragma once

#include "snmp/SnmpIntegerBase.h"

namespace kivo::snmp {

// INTEGER (tag 02).
class SnmpInteger : public SnmpIntegerBase {
 public:
  explicit SnmpInteger(std::int32_t value)
      : SnmpIntegerBase(kTagInteger, kTypeNameInteger, Range::kSigned, value) {}
};

}  // namespace kivo::snmp
