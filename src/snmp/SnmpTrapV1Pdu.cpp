#include "snmp/SnmpTrapV1Pdu.h"

namespace kivo::snmp {
namespace {

template <typename Value>
void EncodeIfPresent(const std::optional<Value>& value, std::uint8_t*& cursor) {
  if (value) value->Encode(cursor);
}

template <typename Value>
std::size_t SizeIfPresent(const std::optional<Value>& value) {
  return value ? value->EncodedSize() : 0;
}

template <typename Value>
std::int32_t NumberIfPresent(const std::optional<Value>& value) {
  return value ? value->GetValue() : 0;
}

template <typename Value>
std::optional<std::string> TextIfPresent(const std::optional<Value>& value) {
  if (!value) return std::nullopt;
  return value->ToText();
}

}  // namespace

void SnmpTrapV1Pdu::Encode(std::uint8_t*& cursor) const {
  EncodeIfPresent(enterprise_, cursor);
  EncodeIfPresent(agent_address_, cursor);
  EncodeIfPresent(generic_trap_, cursor);
  EncodeIfPresent(specific_trap_, cursor);
  EncodeIfPresent(time_stamp_, cursor);
}

std::size_t SnmpTrapV1Pdu::FieldsSize() const {
  return SizeIfPresent(enterprise_) + SizeIfPresent(agent_address_) + SizeIfPresent(generic_trap_) +
         SizeIfPresent(specific_trap_) + SizeIfPresent(time_stamp_);
}

void SnmpTrapV1Pdu::SetGenericTrap(std::int32_t value) {
  generic_trap_.emplace(value);
}
std::int32_t SnmpTrapV1Pdu::GetGenericTrap() const {
  return NumberIfPresent(generic_trap_);
}

void SnmpTrapV1Pdu::SetSpecificTrap(std::int32_t value) {
  specific_trap_.emplace(value);
}
std::int32_t SnmpTrapV1Pdu::GetSpecificTrap() const {
  return NumberIfPresent(specific_trap_);
}

void SnmpTrapV1Pdu::SetTimeStamp(std::int32_t ticks) {
  time_stamp_.emplace(ticks);
}
std::int32_t SnmpTrapV1Pdu::GetTimeStamp() const {
  return NumberIfPresent(time_stamp_);
}

void SnmpTrapV1Pdu::SetAgentAddress(std::string_view dotted_quad) {
  agent_address_.emplace(dotted_quad);
}
std::optional<std::string> SnmpTrapV1Pdu::GetAgentAddress() const {
  return TextIfPresent(agent_address_);
}

void SnmpTrapV1Pdu::SetEnterprise(std::string_view dotted_text) {
  enterprise_.emplace(dotted_text);
}
std::optional<std::string> SnmpTrapV1Pdu::GetEnterprise() const {
  return TextIfPresent(enterprise_);
}

}  // namespace kivo::snmp
