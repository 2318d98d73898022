#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "snmp/SnmpValue.h"

namespace kivo::snmp {

// IpAddress (tag 40): exactly four octets, first part of the dotted text
// first. Each part is read like an OID component and keeps its low 8 bits
// ("300.1.1.1" is 44.1.1.1). Fewer than four parts: the missing ones are 0
// ("10.1" is 10.1.0.0, the empty text 0.0.0.0); parts beyond the fourth are
// ignored. So every text gives a four-octet address.
class SnmpIpAddress : public SnmpValue {
 public:
  explicit SnmpIpAddress(std::string_view dotted_quad);

 protected:
  void EncodeContent(std::uint8_t*& cursor) const override;
  std::string BuildText() const override;

 private:
  std::array<std::uint8_t, 4> octets_{};
};

}  // namespace kivo::snmp
