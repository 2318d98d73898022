#include "snmp/SnmpVarBind.h"

namespace kivo::snmp {

SnmpVarBind::SnmpVarBind(std::unique_ptr<SnmpOid> name, std::unique_ptr<SnmpValue> value)
    : name_(std::move(name)), value_(std::move(value)) {}

SnmpVarBind::SnmpVarBind(const std::uint8_t* name_content, std::size_t name_size,
                         std::unique_ptr<SnmpValue> value)
    : name_(name_content, name_size), value_(std::move(value)) {}

void SnmpVarBind::Encode(std::uint8_t*& cursor) const {
  *cursor++ = kTagSequence;
  BerWriteLength(cursor, ContentSize());
  name_.Encode(cursor);
  if (value_) {
    value_->Encode(cursor);
  } else {
    *cursor++ = kTagNull;
    *cursor++ = 0x00;
  }
}

}  // namespace kivo::snmp
