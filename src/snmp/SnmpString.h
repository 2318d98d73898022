#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "snmp/OctetBuffer.h"
#include "snmp/SnmpValue.h"

namespace kivo::snmp {

// OCTET STRING (tag 04): the octets of a text, without a terminating NUL.
//
// A text longer than kMaxContentLength (65535) octets is cut to its first
// 65535 octets: the content length is 16 bits, and a cut text still makes a
// well-formed message, where a wrapped length would corrupt it. The service's
// longest text (a description) is far below the limit.
class SnmpString : public SnmpValue {
 public:
  // The octets of text up to its first NUL.
  explicit SnmpString(const char* text);
  // The octets as they are (a NUL inside is kept).
  explicit SnmpString(std::string_view octets);

 protected:
  void EncodeContent(std::uint8_t*& cursor) const override;
  // Printable content (ASCII 0x20-0x7E, TAB, LF, CR; a final 00 allowed) as
  // text, anything else as lower-case hex digits without separators.
  std::string BuildText() const override;

 private:
  OctetBuffer content_;
};

}  // namespace kivo::snmp
