#include "snmp/ReceivedMessage.h"

#include <climits>
#include <cstring>

#include "snmp/SnmpOid.h"
#include "snmp/SnmpPdu.h"
#include "snmp/SnmpV3Writer.h"
#include "snmp/SnmpValue.h"

namespace kivo::snmp {
namespace {

bool ReadInt32(BerReader& reader, std::int64_t low, std::int32_t* value) {
  std::int64_t read = 0;
  if (!reader.ReadInteger(low, INT32_MAX, &read)) return false;
  *value = static_cast<std::int32_t>(read);
  return true;
}

bool ReadPdu(BerReader& outer, ReceivedPdu* pdu) {
  OctetView content;
  if (!outer.ReadAny(&pdu->type, &content)) return false;
  if (pdu->type < kPduGetRequest || pdu->type > kPduReport || pdu->type == kPduTrapV1) return false;
  BerReader reader(content);
  OctetView list;
  if (!ReadInt32(reader, INT32_MIN, &pdu->request_id) ||
      !ReadInt32(reader, INT32_MIN, &pdu->error_status) ||
      !ReadInt32(reader, INT32_MIN, &pdu->error_index) || !reader.Read(kTagSequence, &list) ||
      !reader.AtEnd()) {
    return false;
  }
  BerReader bindings(list);
  while (!bindings.AtEnd()) {
    OctetView element;
    if (!bindings.Read(kTagSequence, &element)) return false;
    BerReader binding(element);
    ReceivedBinding read;
    if (!binding.Read(kTagObjectIdentifier, &read.name) ||
        !binding.ReadAny(&read.value_tag, &read.value) || !binding.AtEnd() ||
        !SnmpOid::TextOfContent(read.name.data, read.name.size)) {
      return false;
    }
    pdu->bindings.push_back(read);
  }
  return true;
}

bool ReadUsm(OctetView parameters, const std::uint8_t* message, ReceivedUsm* usm) {
  BerReader outer(parameters);
  OctetView sequence;
  if (!outer.Read(kTagSequence, &sequence) || !outer.AtEnd()) return false;
  BerReader reader(sequence);
  std::int64_t boots = 0, time = 0;
  if (!reader.Read(kTagOctetString, &usm->engine_id) || !reader.ReadInteger(0, INT32_MAX, &boots) ||
      !reader.ReadInteger(0, INT32_MAX, &time) || !reader.Read(kTagOctetString, &usm->user_name) ||
      !reader.Read(kTagOctetString, &usm->auth_parameters) ||
      !reader.Read(kTagOctetString, &usm->priv_parameters) || !reader.AtEnd()) {
    return false;
  }
  usm->boots = static_cast<std::uint32_t>(boots);
  usm->time = static_cast<std::uint32_t>(time);
  usm->auth_offset = static_cast<std::size_t>(usm->auth_parameters.data - message);
  return true;
}

bool ReadScopedContent(OctetView content, ReceivedMessage* message) {
  BerReader reader(content);
  ReceivedPdu pdu;
  if (!reader.Read(kTagOctetString, &message->context_engine_id) ||
      !reader.Read(kTagOctetString, &message->context_name) || !ReadPdu(reader, &pdu) ||
      !reader.AtEnd()) {
    return false;
  }
  message->pdu = std::move(pdu);
  return true;
}

bool ReadV3(BerReader& reader, const std::uint8_t* message, ReceivedMessage* read) {
  OctetView global, flags, parameters;
  std::int32_t model = 0;
  if (!reader.Read(kTagSequence, &global)) return false;
  BerReader header(global);
  if (!ReadInt32(header, 0, &read->message_id) || !ReadInt32(header, 484, &read->max_size) ||
      !header.Read(kTagOctetString, &flags) || flags.size != 1 || !ReadInt32(header, 1, &model) ||
      !header.AtEnd() || model != kSecurityModelUsm) {
    return false;
  }
  read->flags = flags.data[0];
  if (!reader.Read(kTagOctetString, &parameters) || !ReadUsm(parameters, message, &read->usm)) {
    return false;
  }
  std::uint8_t tag = 0;
  OctetView data;
  if (!reader.ReadAny(&tag, &data) || !reader.AtEnd()) return false;
  if (tag == kTagOctetString) {
    read->encrypted = data;
    return true;
  }
  return tag == kTagSequence && ReadScopedContent(data, read);
}

}  // namespace

std::string ReceivedBinding::NameText() const {
  return SnmpOid::TextOfContent(name.data, name.size).value_or(std::string());
}

bool ReceivedBinding::NameIs(const std::uint8_t* content, std::size_t size) const {
  return name.size == size && std::memcmp(name.data, content, size) == 0;
}

std::optional<ReceivedMessage> ReadMessage(const std::uint8_t* data, std::size_t size) {
  BerReader outer(data, size);
  OctetView content;
  if (!outer.Read(kTagSequence, &content) || !outer.AtEnd()) return std::nullopt;
  BerReader reader(content);
  ReceivedMessage message;
  std::int64_t version = 0;
  if (!reader.ReadInteger(&version)) return std::nullopt;
  message.version = static_cast<std::int32_t>(version);
  if (version == 0 || version == 1) {
    ReceivedPdu pdu;
    if (!reader.Read(kTagOctetString, &message.community) || !ReadPdu(reader, &pdu) ||
        !reader.AtEnd()) {
      return std::nullopt;
    }
    message.pdu = std::move(pdu);
    return message;
  }
  if (version == kSnmpVersion3 && ReadV3(reader, data, &message)) return message;
  return std::nullopt;
}

bool ReadScopedPdu(const std::uint8_t* data, std::size_t size, ReceivedMessage* message) {
  BerReader reader(data, size);
  OctetView content;
  return reader.Read(kTagSequence, &content) && ReadScopedContent(content, message);
}

}  // namespace kivo::snmp
