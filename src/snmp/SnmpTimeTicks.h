#pragma once

#include "snmp/SnmpIntegerBase.h"

namespace kivo::snmp {

// TimeTicks (tag 43): hundredths of a second. The count is encoded as a
// signed 32-bit number, so a count with the top bit set goes out negative
// (-105900 is FE 62 54); receivers have always been given it that way.
class SnmpTimeTicks : public SnmpIntegerBase {
 public:
  explicit SnmpTimeTicks(std::int32_t ticks)
      : SnmpIntegerBase(kTagTimeTicks, kTypeNameTimeTicks, ticks) {}
};

}  // namespace kivo::snmp
