#pragma once

#include "snmp/SnmpRequestPdu.h"

namespace kivo::snmp {

// Body of InformRequest (166) and SNMPv2-Trap (167): the request fields. The
// agent address is not part of these PDUs; it reads as 255.255.255.255.
class SnmpV2NotifyPdu : public SnmpRequestPdu {
 public:
  explicit SnmpV2NotifyPdu(std::int32_t type) : SnmpRequestPdu(type) {}

  std::optional<std::string> GetAgentAddress() const override {
    return std::string("255.255.255.255");
  }
};

}  // namespace kivo::snmp
