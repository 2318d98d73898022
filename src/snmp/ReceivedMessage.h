#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "snmp/BerReader.h"

namespace kivo::snmp {

// One variable binding of a received PDU: its name (a well-formed OID's
// content) and its value's tag and content.
struct ReceivedBinding {
  OctetView name;
  std::uint8_t value_tag = 0;
  OctetView value;

  // The name as dotted text.
  std::string NameText() const;
  // True when the name is exactly this OID (given as encoded content).
  bool NameIs(const std::uint8_t* content, std::size_t size) const;
};

// A received SNMPv2 PDU: Response (A2), Report (A8) and the others of the
// same form (A0-A3, A5-A8); an SNMPv1 Trap-PDU (A4) is not read.
struct ReceivedPdu {
  std::uint8_t type = 0;
  std::int32_t request_id = 0;
  std::int32_t error_status = 0;
  std::int32_t error_index = 0;
  std::vector<ReceivedBinding> bindings;
};

// USM's security parameters as received. The authentication parameters'
// place in the message is where their content starts, counted from the
// message's first octet.
struct ReceivedUsm {
  OctetView engine_id;
  std::uint32_t boots = 0;
  std::uint32_t time = 0;
  OctetView user_name;
  OctetView auth_parameters;
  std::size_t auth_offset = 0;
  OctetView priv_parameters;
};

// A received message of any version, its views into the octets it was read
// from (which must outlive it). SNMPv1 and SNMPv2c messages have a community
// and a PDU; SNMPv3 messages with USM have the header, the security
// parameters and either a scoped PDU in clear or its encrypted octets.
struct ReceivedMessage {
  std::int32_t version = 0;
  OctetView community;
  // SNMPv3.
  std::int32_t message_id = 0;
  std::int32_t max_size = 0;
  std::uint8_t flags = 0;
  ReceivedUsm usm;
  OctetView context_engine_id;
  OctetView context_name;
  OctetView encrypted;  // set when the scoped PDU is encrypted; pdu is then empty
  std::optional<ReceivedPdu> pdu;
};

// Reads one whole datagram: nothing unless it is exactly one well-formed
// message (version 0, 1 or 3; for 3, security model USM), with nothing
// after it.
std::optional<ReceivedMessage> ReadMessage(const std::uint8_t* data, std::size_t size);

// Reads a decrypted scoped PDU into the message. Octets after it are
// allowed: a privacy protocol may pad. False when it is malformed.
bool ReadScopedPdu(const std::uint8_t* data, std::size_t size, ReceivedMessage* message);

}  // namespace kivo::snmp
