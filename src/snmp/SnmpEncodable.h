#pragma once

#include <cstddef>
#include <cstdint>

namespace kivo::snmp {

// Root of every object of the SNMP library. An object encodes itself at a
// cursor: a pointer to the next free octet of a buffer that the caller sized
// with the object's EncodedSize(). Encode writes exactly that many octets and
// advances the cursor past them; it never checks the buffer's end, so the
// size computations are exact by construction.
class SnmpEncodable {
 public:
  virtual ~SnmpEncodable() = default;
  virtual void Encode(std::uint8_t*& cursor) const = 0;

 protected:
  SnmpEncodable() = default;
  SnmpEncodable(const SnmpEncodable&) = delete;
  SnmpEncodable& operator=(const SnmpEncodable&) = delete;
};

}  // namespace kivo::snmp
