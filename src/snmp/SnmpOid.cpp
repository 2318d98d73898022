#include "snmp/SnmpOid.h"

#include "snmp/DottedText.h"

#include <array>
#include <cstring>
#include <limits>

namespace kivo::snmp {
namespace {

std::uint32_t Saturate(std::uint64_t value) {
  const std::uint64_t max = std::numeric_limits<std::uint32_t>::max();
  return static_cast<std::uint32_t>(value > max ? max : value);
}

}  // namespace

SnmpOid::SnmpOid(std::string_view dotted_text) : SnmpValue(kTagObjectIdentifier, kTypeNameOid) {
  DottedText components(dotted_text);
  std::uint32_t first = 0;
  std::uint32_t second = 0;
  if (components.Next(&first)) components.Next(&second);

  std::array<std::uint8_t, kMaxOidContent> area;
  std::uint8_t* cursor = area.data();
  std::uint8_t* const limit = area.data() + area.size();
  BerWriteSubIdentifier(cursor, Saturate(40 * std::uint64_t{first} + second));
  std::uint32_t sub_identifier = 0;
  while (components.Next(&sub_identifier)) {
    // Sub-identifiers that do not fit whole end the OID.
    if (sub_identifier < 0x80) {  // the common case: one octet
      if (cursor == limit) break;
      *cursor++ = static_cast<std::uint8_t>(sub_identifier);
    } else {
      if (static_cast<std::size_t>(limit - cursor) < BerSubIdentifierSize(sub_identifier)) break;
      BerWriteSubIdentifier(cursor, sub_identifier);
    }
  }
  content_.Assign(area.data(), static_cast<std::size_t>(cursor - area.data()));
  SetContentLength(content_.size());
}

void SnmpOid::EncodeContent(std::uint8_t*& cursor) const {
  std::memcpy(cursor, content_.data(), content_.size());
  cursor += content_.size();
}

std::vector<std::uint32_t> SnmpOid::SubIdentifiers() const {
  std::vector<std::uint32_t> values;
  std::uint32_t value = 0;
  for (std::uint8_t octet : content_) {
    value = (value << 7) | (octet & 0x7Fu);
    if ((octet & 0x80) == 0) {
      values.push_back(value);
      value = 0;
    }
  }
  return values;
}

std::string SnmpOid::BuildText() const {
  const std::vector<std::uint32_t> values = SubIdentifiers();
  if (values.empty()) return std::string();
  const std::uint32_t first = values[0];
  const std::uint32_t arc1 = first < 40 ? 0 : first < 80 ? 1 : 2;
  std::string text = std::to_string(arc1) + "." + std::to_string(first - 40 * arc1) + ".";
  for (std::size_t i = 1; i < values.size(); ++i) {
    if (i > 1) text += '.';
    text += std::to_string(values[i]);
  }
  return text;
}

}  // namespace kivo::snmp
