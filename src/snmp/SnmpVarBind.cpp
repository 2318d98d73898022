#include "snmp/SnmpVarBind.h"

namespace kivo::snmp {

SnmpVarBind::SnmpVarBind(std::unique_ptr<SnmpOid> name, std::unique_ptr<SnmpValue> value)
    : name_(name ? std::move(name) : std::make_unique<SnmpOid>("")), value_(std::move(value)) {}

void SnmpVarBind::Encode(std::uint8_t*& cursor) const {
  *cursor++ = kTagSequence;
  BerWriteLength(cursor, ContentSize());
  name_->Encode(cursor);
  if (value_) {
    value_->Encode(cursor);
  } else {
    *cursor++ = kTagNull;
    *cursor++ = 0x00;
  }
}

}  // namespace kivo::snmp
