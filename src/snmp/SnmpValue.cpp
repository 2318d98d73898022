#include "snmp/SnmpValue.h"

namespace kivo::snmp {

const char kTypeNameInteger[] = "Integer";
const char kTypeNameTimeTicks[] = "TimeTick";
const char kTypeNameString[] = "String";
const char kTypeNameOid[] = "OID";
const char kTypeNameIpAddress[] = "IpAddress";

void SnmpValue::Encode(std::uint8_t*& cursor) const {
  *cursor++ = tag_;
  BerWriteLength(cursor, content_length_);
  EncodeContent(cursor);
}

std::vector<std::uint8_t> SnmpValue::EncodeToNewBuffer() const {
  std::vector<std::uint8_t> buffer(EncodedSize());
  std::uint8_t* cursor = buffer.data();
  Encode(cursor);
  return buffer;
}

const std::string& SnmpValue::ToText() const {
  if (!cached_text_) cached_text_ = std::make_unique<std::string>(BuildText());
  return *cached_text_;
}

}  // namespace kivo::snmp
