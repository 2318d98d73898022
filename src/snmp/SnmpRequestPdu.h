#pragma once

#include "snmp/SnmpInteger.h"
#include "snmp/SnmpPdu.h"

namespace kivo::snmp {

// Body of the request PDUs (160-163) and, through SnmpV2NotifyPdu, of the
// SNMPv2 notifications: request-id, error-status, error-index.
class SnmpRequestPdu : public SnmpPdu {
 public:
  // The request id starts as the current time in whole seconds since 1970.
  explicit SnmpRequestPdu(std::int32_t type);

  void Encode(std::uint8_t*& cursor) const override;
  std::size_t FieldsSize() const override;
  std::int32_t GetType() const override { return type_; }

  void SetRequestId(std::int32_t value) override;
  std::int32_t GetRequestId() const override { return request_id_.GetValue(); }
  void SetErrorIndex(std::int32_t value) override;
  std::int32_t GetErrorIndex() const override { return error_index_.GetValue(); }
  void SetErrorStatus(std::int32_t value) override;
  std::int32_t GetErrorStatus() const override { return error_status_.GetValue(); }

  // Turns the body into a GetResponse (type 162).
  void MakeResponse() { type_ = kPduGetResponse; }

 private:
  SnmpInteger request_id_;
  SnmpInteger error_status_;
  SnmpInteger error_index_;
  std::int32_t type_;
};

}  // namespace kivo::snmp
