#pragma once

#include "snmp/SnmpIntegerBase.h"

namespace kivo::snmp {

// TimeTicks (tag 43): hundredths of a second, an unsigned 32-bit count.
// The uptime passes 2^31 hundredths after about 248 days and then arrives
// here as a negative int32; it is encoded as the unsigned count it is
// (-105900, that is 4294861396, gives 00 FF FE 62 54). Encoded as a negative
// number (FE 62 54) receivers would decode a wrong uptime (net-snmp reads
// 16671316). GetValue and ToText keep the signed 32-bit value as given.
class SnmpTimeTicks : public SnmpIntegerBase {
 public:
  explicit SnmpTimeTicks(std::int32_t ticks)
      : SnmpIntegerBase(kTagTimeTicks, kTypeNameTimeTicks, Range::kUnsigned, ticks) {}
};

}  // namespace kivo::snmp
