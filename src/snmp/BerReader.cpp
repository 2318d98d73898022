#include "snmp/BerReader.h"

#include "snmp/SnmpValue.h"

namespace kivo::snmp {
namespace {

constexpr std::uint8_t kHighTagNumber = 0x1F;
constexpr std::size_t kMaxLengthOctets = 4;
constexpr std::size_t kMaxIntegerOctets = 8;

}  // namespace

bool BerReader::ReadAny(std::uint8_t* tag, OctetView* content) {
  if (!ok_ || left_ < 2) return Fail();
  const std::uint8_t identifier = data_[0];
  if ((identifier & kHighTagNumber) == kHighTagNumber) return Fail();
  std::size_t header = 2;
  std::size_t length = data_[1];
  if (length & 0x80) {
    // Long form; 0x80 alone would be the indefinite form, which SNMP never uses.
    const std::size_t octets = length & 0x7F;
    if (octets == 0 || octets > kMaxLengthOctets || left_ - 2 < octets) return Fail();
    length = 0;
    for (std::size_t i = 0; i < octets; ++i) length = (length << 8) | data_[2 + i];
    header += octets;
  }
  if (length > left_ - header) return Fail();
  *tag = identifier;
  *content = OctetView{data_ + header, length};
  data_ += header + length;
  left_ -= header + length;
  return true;
}

bool BerReader::Read(std::uint8_t tag, OctetView* content) {
  std::uint8_t found = 0;
  if (!ReadAny(&found, content)) return false;
  return found == tag || Fail();
}

bool BerReader::ReadInteger(std::int64_t* value) {
  OctetView content;
  if (!Read(kTagInteger, &content)) return false;
  if (content.size == 0 || content.size > kMaxIntegerOctets) return Fail();
  // Sign-extended from the first octet, then shifted in: no overflow.
  std::uint64_t bits = (content.data[0] & 0x80) ? ~std::uint64_t{0} : 0;
  for (std::size_t i = 0; i < content.size; ++i) bits = (bits << 8) | content.data[i];
  *value = static_cast<std::int64_t>(bits);
  return true;
}

bool BerReader::ReadInteger(std::int64_t low, std::int64_t high, std::int64_t* value) {
  std::int64_t read = 0;
  if (!ReadInteger(&read)) return false;
  if (read < low || read > high) return Fail();
  *value = read;
  return true;
}

}  // namespace kivo::snmp
