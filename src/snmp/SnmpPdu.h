#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "snmp/SnmpEncodable.h"

namespace kivo::snmp {

// PDU type codes (the PDU's identifier octet).
constexpr std::int32_t kPduGetRequest = 160;
constexpr std::int32_t kPduGetNextRequest = 161;
constexpr std::int32_t kPduGetResponse = 162;
constexpr std::int32_t kPduSetRequest = 163;
constexpr std::int32_t kPduTrapV1 = 164;
constexpr std::int32_t kPduGetBulkRequest = 165;  // not supported: no body
constexpr std::int32_t kPduInformRequest = 166;
constexpr std::int32_t kPduTrapV2 = 167;
constexpr std::int32_t kPduReport = 168;  // only ever received

// A PDU body: the fields between the PDU's identifier and length and the
// variable bindings. Encode writes the fields only; the message writes the
// identifier, the length and the bindings around them. A body implements the
// operations of its own fields; on the others a setter does nothing and a
// getter returns 0 or no text. A setter replaces the field's value.
class SnmpPdu : public SnmpEncodable {
 public:
  virtual void SetRequestId(std::int32_t) {}
  virtual std::int32_t GetRequestId() const { return 0; }
  virtual void SetErrorIndex(std::int32_t) {}
  virtual std::int32_t GetErrorIndex() const { return 0; }
  virtual void SetErrorStatus(std::int32_t) {}
  virtual std::int32_t GetErrorStatus() const { return 0; }
  virtual void SetGenericTrap(std::int32_t) {}
  virtual std::int32_t GetGenericTrap() const { return 0; }
  virtual void SetSpecificTrap(std::int32_t) {}
  virtual std::int32_t GetSpecificTrap() const { return 0; }
  virtual void SetTimeStamp(std::int32_t) {}
  virtual std::int32_t GetTimeStamp() const { return 0; }
  virtual void SetAgentAddress(std::string_view) {}
  virtual std::optional<std::string> GetAgentAddress() const { return std::nullopt; }
  virtual void SetEnterprise(std::string_view) {}
  virtual std::optional<std::string> GetEnterprise() const { return std::nullopt; }
  // Octets of the fields that Encode writes.
  virtual std::size_t FieldsSize() const = 0;
  virtual std::int32_t GetType() const = 0;
};

}  // namespace kivo::snmp
