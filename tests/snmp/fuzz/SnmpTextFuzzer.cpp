// libFuzzer target for the two parsers of outside text: OID and IP address
// texts (from the configuration store and the platform). Whatever the text,
// the value must encode to exactly its declared size, stay within its limits
// and read back from its own text form unchanged; both OID readers must
// agree on it.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "snmp/SnmpIpAddress.h"
#include "snmp/SnmpOid.h"

namespace {

void Require(bool condition) {
  if (!condition) __builtin_trap();
}

template <typename Value>
std::vector<std::uint8_t> EncodeChecked(const Value& value) {
  const std::size_t size = value.EncodedSize();
  std::vector<std::uint8_t> buffer(size);
  std::uint8_t* cursor = buffer.data();
  value.Encode(cursor);
  Require(cursor == buffer.data() + size);
  return buffer;
}

void CheckOid(std::string_view text) {
  const kivo::snmp::SnmpOid oid(text);
  Require(oid.ContentLength() >= 1 && oid.ContentLength() <= kivo::snmp::SnmpOid::kMaxOidContent);
  const std::vector<std::uint8_t> octets = EncodeChecked(oid);
  Require(octets[0] == 0x06);
  Require((octets.back() & 0x80) == 0);  // no sub-identifier left open
  Require(EncodeChecked(kivo::snmp::SnmpOid(oid.ToText())) == octets);
  // A leading dot changes nothing but sends any text to the general reader:
  // the quick reader of plain text must agree with it.
  Require(EncodeChecked(kivo::snmp::SnmpOid("." + std::string(text))) == octets);
}

void CheckIpAddress(std::string_view text) {
  const kivo::snmp::SnmpIpAddress address(text);
  const std::vector<std::uint8_t> octets = EncodeChecked(address);
  Require(octets.size() == 6 && octets[0] == 0x40 && octets[1] == 0x04);
  Require(EncodeChecked(kivo::snmp::SnmpIpAddress(address.ToText())) == octets);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  CheckOid(text);
  CheckIpAddress(text);
  return 0;
}
