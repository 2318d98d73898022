#include "snmp/SnmpMessage.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <string>

#include "snmp/DottedText.h"
#include "snmp/SnmpOid.h"
#include "snmp/SnmpTimeTicks.h"

namespace kivo::snmp {
namespace {

// The encoded names of the SNMPv2 trap header: sysUpTime.0
// (1.3.6.1.2.1.1.3.0) and snmpTrapOID.0 (1.3.6.1.6.3.1.1.4.1.0).
constexpr std::uint8_t kSysUpTimeContent[] = {0x2B, 0x06, 0x01, 0x02, 0x01, 0x01, 0x03, 0x00};
constexpr std::uint8_t kSnmpTrapOidContent[] = {0x2B, 0x06, 0x01, 0x06, 0x03,
                                                0x01, 0x01, 0x04, 0x01, 0x00};
constexpr char kGenericTrapPrefix[] = "1.3.6.1.6.3.1.1.5.";
constexpr char kNoBinding[] = "NULL";
constexpr std::int32_t kNoBodyType = 255;
constexpr std::int32_t kEnterpriseSpecific = 6;

// Longest decimal text of an int32 ("-2147483648").
constexpr std::size_t kMaxDecimalDigits = 11;

// The SNMPv2 trap identifier of an SNMPv1 generic/specific pair (the
// coexistence rules): the standard traps 0-5 have their own identifiers,
// everything else is enterprise.0.specific. The text is put together on the
// stack (once per trap); only an unusually long enterprise text takes the
// heap.
std::unique_ptr<SnmpOid> TrapIdentifier(std::string_view enterprise, std::int32_t generic,
                                        std::int32_t specific) {
  if (generic >= 0 && generic <= 5) {
    char text[sizeof(kGenericTrapPrefix) + 1];
    std::memcpy(text, kGenericTrapPrefix, sizeof(kGenericTrapPrefix) - 1);
    text[sizeof(kGenericTrapPrefix) - 1] = static_cast<char>('1' + generic);
    return std::make_unique<SnmpOid>(std::string_view(text, sizeof(kGenericTrapPrefix)));
  }
  constexpr std::string_view kSeparator = ".0.";
  char number[kMaxDecimalDigits];
  const std::size_t digits = static_cast<std::size_t>(
      std::to_chars(number, number + sizeof(number), specific).ptr - number);
  const std::size_t length = enterprise.size() + kSeparator.size() + digits;
  char on_stack[256];
  std::string on_heap;
  char* text = on_stack;
  if (length > sizeof(on_stack)) {
    on_heap.resize(length);
    text = on_heap.data();
  }
  char* end = std::copy(enterprise.begin(), enterprise.end(), text);
  end = std::copy(kSeparator.begin(), kSeparator.end(), end);
  std::copy(number, number + digits, end);
  return std::make_unique<SnmpOid>(std::string_view(text, length));
}

}  // namespace

SnmpMessage::SnmpMessage() {
  community_.emplace("public");
}

bool SnmpMessage::IsV2Notification() const {
  if (!body_) return false;
  const std::int32_t type = body_->GetType();
  return type == kPduTrapV2 || type == kPduInformRequest;
}

std::size_t SnmpMessage::ContentSize() const {
  return HeaderFieldsSize() + PduEncodedSize();
}

std::size_t SnmpMessage::HeaderFieldsSize() const {
  return (version_ ? version_->EncodedSize() : 0) + (community_ ? community_->EncodedSize() : 0);
}

std::size_t SnmpMessage::PduContentSize(std::size_t list_content_size) const {
  return body_->FieldsSize() + BerElementSize(list_content_size);
}

std::size_t SnmpMessage::EncodedSize() const {
  return BerElementSize(ContentSize());
}

void SnmpMessage::Encode(std::uint8_t*& cursor) const {
  // Each size is computed once, from the inside out.
  const std::size_t list_size = body_ ? bindings_.ContentSize() : 0;
  const std::size_t pdu_size = body_ ? PduContentSize(list_size) : 0;
  *cursor++ = kTagSequence;
  BerWriteLength(cursor, HeaderFieldsSize() + (body_ ? BerElementSize(pdu_size) : 0));
  if (version_) version_->Encode(cursor);
  if (community_) community_->Encode(cursor);
  if (body_) EncodePdu(cursor, pdu_size, list_size);
}

std::size_t SnmpMessage::PduEncodedSize() const {
  return body_ ? BerElementSize(PduContentSize(bindings_.ContentSize())) : 0;
}

void SnmpMessage::EncodePdu(std::uint8_t*& cursor) const {
  if (!body_) return;
  const std::size_t list_size = bindings_.ContentSize();
  EncodePdu(cursor, PduContentSize(list_size), list_size);
}

void SnmpMessage::EncodePdu(std::uint8_t*& cursor, std::size_t pdu_size,
                            std::size_t list_size) const {
  *cursor++ = static_cast<std::uint8_t>(body_->GetType());
  BerWriteLength(cursor, pdu_size);
  body_->Encode(cursor);
  bindings_.Encode(cursor, list_size);
}

std::int32_t SnmpMessage::GetVersion() const {
  if (!version_) throw SnmpMissingVersion();
  return version_->GetValue();
}

std::string SnmpMessage::GetCommunity() const {
  return community_ ? community_->ToText() : std::string();
}

std::string SnmpMessage::GetVarBindName(std::size_t index) const {
  if (index == 0 || index > bindings_.Count()) return kNoBinding;
  return bindings_.At(index - 1)->Name().ToText();
}

std::string SnmpMessage::GetVarBindTypeName(std::size_t index) const {
  const SnmpVarBind* binding = index == 0 ? nullptr : bindings_.At(index - 1);
  if (binding == nullptr || binding->Value() == nullptr) return kNoBinding;
  return binding->Value()->TypeName();
}

std::string SnmpMessage::GetVarBindValue(std::size_t index) const {
  const SnmpVarBind* binding = index == 0 ? nullptr : bindings_.At(index - 1);
  if (binding == nullptr || binding->Value() == nullptr) return kNoBinding;
  return binding->Value()->ToText();
}

std::int32_t SnmpMessage::GetRequestId() const {
  return body_ ? body_->GetRequestId() : 0;
}
std::int32_t SnmpMessage::GetErrorIndex() const {
  return body_ ? body_->GetErrorIndex() : 0;
}
std::int32_t SnmpMessage::GetErrorStatus() const {
  return body_ ? body_->GetErrorStatus() : 0;
}
std::int32_t SnmpMessage::GetTimeStamp() const {
  return body_ ? body_->GetTimeStamp() : 0;
}

std::int32_t SnmpMessage::GetGenericTrap() const {
  if (IsV2Notification()) return kEnterpriseSpecific;
  return body_ ? body_->GetGenericTrap() : 0;
}

std::int32_t SnmpMessage::GetSpecificTrap() const {
  if (!IsV2Notification()) return body_ ? body_->GetSpecificTrap() : 0;
  const SnmpVarBind* trap_oid = bindings_.At(1);
  if (trap_oid == nullptr || trap_oid->Value() == nullptr) return 0;
  const std::string& text = trap_oid->Value()->ToText();
  const std::size_t dot = text.rfind('.');
  if (dot == std::string::npos) return 0;
  // The OID holds the specific code as an unsigned sub-identifier; the cast
  // gives a negative code back as it was set.
  return static_cast<std::int32_t>(
      DottedText::ParseComponent(std::string_view(text).substr(dot + 1)));
}

std::optional<std::string> SnmpMessage::GetAgentAddress() const {
  return body_ ? body_->GetAgentAddress() : std::nullopt;
}

std::optional<std::string> SnmpMessage::GetEnterprise() const {
  if (!IsV2Notification()) return body_ ? body_->GetEnterprise() : std::nullopt;
  const SnmpVarBind* trap_oid = bindings_.At(1);
  if (trap_oid == nullptr || trap_oid->Value() == nullptr ||
      std::string_view(trap_oid->Value()->TypeName()) != kTypeNameOid) {
    return std::nullopt;
  }
  return trap_oid->Value()->ToText();
}

std::int32_t SnmpMessage::GetPduType() const {
  return body_ ? body_->GetType() : kNoBodyType;
}

void SnmpMessage::AddTrapHeader(std::int32_t ticks, std::string_view enterprise,
                                std::int32_t generic, std::int32_t specific) {
  if (pdu_type_ != kPduTrapV2 && pdu_type_ != kPduInformRequest) return;
  // The header's constructor is private to the binding and this class, out
  // of make_unique's reach.
  bindings_.Insert(
      0, std::unique_ptr<SnmpVarBind>(new SnmpVarBind(kSysUpTimeContent, sizeof(kSysUpTimeContent),
                                                      std::make_unique<SnmpTimeTicks>(ticks))));
  bindings_.Insert(1, std::unique_ptr<SnmpVarBind>(
                          new SnmpVarBind(kSnmpTrapOidContent, sizeof(kSnmpTrapOidContent),
                                          TrapIdentifier(enterprise, generic, specific))));
}

void SnmpMessage::SetVersion(std::int32_t version) {
  version_.emplace(version);
}

void SnmpMessage::SetCommunity(std::string_view community) {
  community_.emplace(community);
}

void SnmpMessage::SetPduType(std::int32_t code) {
  pdu_type_ = code;
  switch (code) {
    case kPduGetRequest:
    case kPduGetNextRequest:
    case kPduGetResponse:
    case kPduSetRequest:
      body_ = nullptr;  // the old body goes first
      body_ = &body_storage_.emplace<SnmpRequestPdu>(code);
      break;
    case kPduTrapV1:
      body_ = nullptr;
      body_ = &body_storage_.emplace<SnmpTrapV1Pdu>();
      break;
    case kPduInformRequest:
    case kPduTrapV2:
      body_ = nullptr;
      body_ = &body_storage_.emplace<SnmpV2NotifyPdu>(code);
      break;
    default:
      break;  // unsupported (165 included): the message keeps the body it had
  }
}

void SnmpMessage::AddVarBind(std::unique_ptr<SnmpVarBind> binding) {
  bindings_.Append(std::move(binding));
}

void SnmpMessage::SetRequestId(std::int32_t value) {
  if (body_) body_->SetRequestId(value);
}
void SnmpMessage::SetErrorIndex(std::int32_t value) {
  if (body_) body_->SetErrorIndex(value);
}
void SnmpMessage::SetErrorStatus(std::int32_t value) {
  if (body_) body_->SetErrorStatus(value);
}
void SnmpMessage::SetGenericTrap(std::int32_t value) {
  if (body_) body_->SetGenericTrap(value);
}
void SnmpMessage::SetSpecificTrap(std::int32_t value) {
  if (body_) body_->SetSpecificTrap(value);
}
void SnmpMessage::SetTimeStamp(std::int32_t ticks) {
  if (body_) body_->SetTimeStamp(ticks);
}
void SnmpMessage::SetAgentAddress(std::string_view dotted_quad) {
  if (body_) body_->SetAgentAddress(dotted_quad);
}
void SnmpMessage::SetEnterprise(std::string_view dotted_text) {
  if (body_) body_->SetEnterprise(dotted_text);
}

}  // namespace kivo::snmp
