#include "snmp/SnmpString.h"

#include <algorithm>
#include <cstring>

namespace kivo::snmp {
namespace {

bool IsPrintableOctet(std::uint8_t octet) {
  return (octet >= 0x20 && octet <= 0x7E) || octet == '\t' || octet == '\n' || octet == '\r';
}

}  // namespace

SnmpString::SnmpString(const char* text)
    : SnmpString(text == nullptr ? std::string_view() : std::string_view(text)) {}

SnmpString::SnmpString(std::string_view octets) : SnmpValue(kTagOctetString, kTypeNameString) {
  const std::size_t length = std::min(octets.size(), kMaxContentLength);
  content_.Assign(octets.data(), length);
  SetContentLength(length);
}

void SnmpString::EncodeContent(std::uint8_t*& cursor) const {
  if (!content_.empty()) std::memcpy(cursor, content_.data(), content_.size());
  cursor += content_.size();
}

std::string SnmpString::BuildText() const {
  std::size_t printable = 0;
  while (printable < content_.size() && IsPrintableOctet(content_[printable])) ++printable;
  const bool only_final_nul = printable + 1 == content_.size() && content_[printable] == 0x00;
  if (printable == content_.size() || only_final_nul) {
    return std::string(content_.begin(), content_.begin() + static_cast<std::ptrdiff_t>(printable));
  }
  static const char kDigits[] = "0123456789abcdef";
  std::string text;
  text.reserve(content_.size() * 2);
  for (std::uint8_t octet : content_) {
    text += kDigits[octet >> 4];
    text += kDigits[octet & 0x0F];
  }
  return text;
}

}  // namespace kivo::snmp
