#include "snmp/SnmpIpAddress.h"

#include <algorithm>

#include "platform/Sockets.h"
#include "snmp/DottedText.h"

namespace kivo::snmp {

SnmpIpAddress::SnmpIpAddress(std::string_view dotted_quad)
    : SnmpValue(kTagIpAddress, kTypeNameIpAddress) {
  DottedText parts(dotted_quad);
  std::uint32_t part = 0;
  for (std::size_t i = 0; i < octets_.size() && parts.Next(&part); ++i) {
    octets_[i] = static_cast<std::uint8_t>(part & 0xFF);
  }
  SetContentLength(octets_.size());
}

void SnmpIpAddress::EncodeContent(std::uint8_t*& cursor) const {
  cursor = std::copy(octets_.begin(), octets_.end(), cursor);
}

std::string SnmpIpAddress::BuildText() const {
  return platform::FormatDotted(octets_);
}

}  // namespace kivo::snmp
