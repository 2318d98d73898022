#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "snmp/SnmpEncodable.h"

namespace kivo::snmp {

// Raised by GetVersion on a message whose version was never set.
class SnmpMissingVersion : public std::logic_error {
 public:
  SnmpMissingVersion() : std::logic_error("SNMP message has no version") {}
};

// What UdpEndpoint and the trap composition need of a message: its encoding
// and read access to what it holds. Bindings are numbered from 1; the text
// accessors return "NULL" for a binding that does not exist.
class SnmpMessageBase : public SnmpEncodable {
 public:
  // Octets Encode writes.
  virtual std::size_t EncodedSize() const = 0;
  // Throws SnmpMissingVersion when no version was set.
  virtual std::int32_t GetVersion() const = 0;
  virtual std::string GetCommunity() const = 0;
  virtual std::size_t GetVarBindCount() const = 0;
  virtual std::string GetVarBindName(std::size_t index) const = 0;
  virtual std::string GetVarBindTypeName(std::size_t index) const = 0;
  virtual std::string GetVarBindValue(std::size_t index) const = 0;
  virtual std::int32_t GetRequestId() const = 0;
  virtual std::int32_t GetErrorIndex() const = 0;
  virtual std::int32_t GetErrorStatus() const = 0;
  virtual std::int32_t GetGenericTrap() const = 0;
  virtual std::int32_t GetSpecificTrap() const = 0;
  virtual std::int32_t GetTimeStamp() const = 0;
  virtual std::optional<std::string> GetAgentAddress() const = 0;
  virtual std::optional<std::string> GetEnterprise() const = 0;
  // The body's type code; 255 when the message has no body.
  virtual std::int32_t GetPduType() const = 0;
  // Puts the SNMPv2 trap header bindings in front; here it does nothing.
  virtual void AddTrapHeader(std::int32_t ticks, std::string_view enterprise, std::int32_t generic,
                             std::int32_t specific) {}
};

}  // namespace kivo::snmp
