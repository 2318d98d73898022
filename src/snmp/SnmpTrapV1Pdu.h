#pragma once

#include <optional>

#include "snmp/SnmpInteger.h"
#include "snmp/SnmpIpAddress.h"
#include "snmp/SnmpOid.h"
#include "snmp/SnmpPdu.h"
#include "snmp/SnmpTimeTicks.h"

namespace kivo::snmp {

// Body of the SNMPv1 Trap-PDU (164): enterprise, agent-addr, generic-trap,
// specific-trap, time-stamp, in that order on the wire. Fields are absent
// until set, and absent fields are not written.
class SnmpTrapV1Pdu : public SnmpPdu {
 public:
  void Encode(std::uint8_t*& cursor) const override;
  std::size_t FieldsSize() const override;
  std::int32_t GetType() const override { return kPduTrapV1; }

  void SetGenericTrap(std::int32_t value) override;
  std::int32_t GetGenericTrap() const override;
  void SetSpecificTrap(std::int32_t value) override;
  std::int32_t GetSpecificTrap() const override;
  void SetTimeStamp(std::int32_t ticks) override;
  std::int32_t GetTimeStamp() const override;
  void SetAgentAddress(std::string_view dotted_quad) override;
  std::optional<std::string> GetAgentAddress() const override;
  void SetEnterprise(std::string_view dotted_text) override;
  std::optional<std::string> GetEnterprise() const override;

 private:
  std::optional<SnmpInteger> generic_trap_;
  std::optional<SnmpInteger> specific_trap_;
  std::optional<SnmpTimeTicks> time_stamp_;
  std::optional<SnmpOid> enterprise_;
  std::optional<SnmpIpAddress> agent_address_;
};

}  // namespace kivo::snmp
