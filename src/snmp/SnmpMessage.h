#pragma once

#include <memory>
#include <optional>
#include <variant>

#include "snmp/PduEncoding.h"
#include "snmp/SnmpInteger.h"
#include "snmp/SnmpMessageBase.h"
#include "snmp/SnmpPdu.h"
#include "snmp/SnmpRequestPdu.h"
#include "snmp/SnmpString.h"
#include "snmp/SnmpTrapV1Pdu.h"
#include "snmp/SnmpV2NotifyPdu.h"
#include "snmp/SnmpVarBindList.h"

namespace kivo::snmp {

// A community-based SNMP message (SNMPv1 / SNMPv2c):
//   SEQUENCE { version, community, PDU { body fields, variable-bindings } }
//
// Built in this order: SetVersion, SetCommunity, SetPduType, the PDU setters
// (or AddTrapHeader for SNMPv2 notifications), AddVarBind per binding. The
// community starts as "public", the version absent, the list empty.
//
// A message without a body (SetPduType never called, or called with an
// unsupported code such as 165) encodes as version and community only: a
// well-formed SEQUENCE, though not a useful SNMP message. The service never
// sends one. A second SetPduType with a supported code replaces the body and
// destroys the old one; with an unsupported code it only changes the stored
// code, and the message keeps the body it had.
class SnmpMessage : public SnmpMessageBase, public PduEncoding {
 public:
  SnmpMessage();

  void Encode(std::uint8_t*& cursor) const override;
  std::size_t EncodedSize() const override;
  // Octets of version, community and PDU: the message header's length.
  std::size_t ContentSize() const;

  // The PDU alone: its type and length, the body's fields and the bindings,
  // as Encode writes them after the community. An SNMPv3 message carries the
  // same PDU in its scoped PDU, so a trap is composed once for every
  // version. Without a body there is no PDU: 0 octets, nothing written.
  std::size_t PduEncodedSize() const override;
  void EncodePdu(std::uint8_t*& cursor) const override;

  std::int32_t GetVersion() const override;
  std::string GetCommunity() const override;
  std::size_t GetVarBindCount() const override { return bindings_.Count(); }
  std::string GetVarBindName(std::size_t index) const override;
  std::string GetVarBindTypeName(std::size_t index) const override;
  std::string GetVarBindValue(std::size_t index) const override;
  std::int32_t GetRequestId() const override;
  std::int32_t GetErrorIndex() const override;
  std::int32_t GetErrorStatus() const override;
  // For SNMPv2 notifications (166/167) 6, else the body's generic-trap.
  std::int32_t GetGenericTrap() const override;
  // For SNMPv2 notifications the number after the last '.' of binding 2's
  // value (0 when there is none), else the body's specific-trap.
  std::int32_t GetSpecificTrap() const override;
  std::int32_t GetTimeStamp() const override;
  std::optional<std::string> GetAgentAddress() const override;
  // For SNMPv2 notifications binding 2's value when it is an OID, else the
  // body's enterprise.
  std::optional<std::string> GetEnterprise() const override;
  std::int32_t GetPduType() const override;

  // For types 166/167 only: puts sysUpTime.0 = ticks and snmpTrapOID.0 in
  // front of the bindings. snmpTrapOID.0 is 1.3.6.1.6.3.1.1.5.(generic+1) for
  // generic 0 to 5, else enterprise.0.specific.
  void AddTrapHeader(std::int32_t ticks, std::string_view enterprise, std::int32_t generic,
                     std::int32_t specific) override;

  void SetVersion(std::int32_t version);
  void SetCommunity(std::string_view community);
  // 160-164, 166, 167 create a new body of the matching class; any other
  // code is stored but creates none.
  void SetPduType(std::int32_t code);
  // Appends a binding; the message takes ownership.
  void AddVarBind(std::unique_ptr<SnmpVarBind> binding);

  // Forward to the body; without a body they do nothing.
  void SetRequestId(std::int32_t value);
  void SetErrorIndex(std::int32_t value);
  void SetErrorStatus(std::int32_t value);
  void SetGenericTrap(std::int32_t value);
  void SetSpecificTrap(std::int32_t value);
  void SetTimeStamp(std::int32_t ticks);
  void SetAgentAddress(std::string_view dotted_quad);
  void SetEnterprise(std::string_view dotted_text);

 private:
  bool IsV2Notification() const;
  // Octets of version and community.
  std::size_t HeaderFieldsSize() const;
  // Octets of the body's fields and the binding list (body required).
  std::size_t PduContentSize(std::size_t list_content_size) const;
  // The PDU with sizes already computed (body required).
  void EncodePdu(std::uint8_t*& cursor, std::size_t pdu_size, std::size_t list_size) const;

  std::optional<SnmpString> community_;
  std::optional<SnmpInteger> version_;
  std::int32_t pdu_type_ = 0;
  // The body lives inside the message, which spares every trap one
  // allocation; body_ points at the one in use (null without a body).
  std::variant<std::monostate, SnmpRequestPdu, SnmpTrapV1Pdu, SnmpV2NotifyPdu> body_storage_;
  SnmpPdu* body_ = nullptr;
  SnmpVarBindList bindings_;
};

}  // namespace kivo::snmp
