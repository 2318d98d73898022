#include "snmp/SnmpRequestPdu.h"

#include <ctime>

namespace kivo::snmp {

SnmpRequestPdu::SnmpRequestPdu(std::int32_t type)
    : request_id_(static_cast<std::int32_t>(std::time(nullptr))),
      error_status_(0),
      error_index_(0),
      type_(type) {}

void SnmpRequestPdu::Encode(std::uint8_t*& cursor) const {
  request_id_.Encode(cursor);
  error_status_.Encode(cursor);
  error_index_.Encode(cursor);
}

std::size_t SnmpRequestPdu::FieldsSize() const {
  return request_id_.EncodedSize() + error_status_.EncodedSize() + error_index_.EncodedSize();
}

void SnmpRequestPdu::SetRequestId(std::int32_t value) {
  request_id_.SetValue(value);
}

void SnmpRequestPdu::SetErrorIndex(std::int32_t value) {
  error_index_.SetValue(value);
}

void SnmpRequestPdu::SetErrorStatus(std::int32_t value) {
  error_status_.SetValue(value);
}

}  // namespace kivo::snmp
