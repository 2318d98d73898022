#pragma once

#include <cstddef>
#include <cstdint>

namespace kivo::snmp {

// Writes one whole PDU (its type and length, the fields and the bindings),
// as an SNMPv3 scoped PDU carries it: the PDU of an SnmpMessage, composed
// once whatever the version.
class PduEncoding {
 public:
  virtual ~PduEncoding() = default;
  // Octets EncodePdu writes.
  virtual std::size_t PduEncodedSize() const = 0;
  virtual void EncodePdu(std::uint8_t*& cursor) const = 0;
};

}  // namespace kivo::snmp
