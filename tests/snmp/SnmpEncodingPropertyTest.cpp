// For random messages the sizes agree with the encoding: EncodedSize() is
// what Encode writes, and every header length is the octets that follow it.

#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <string>

#include "snmp/SnmpInteger.h"
#include "snmp/SnmpIpAddress.h"
#include "snmp/SnmpMessage.h"
#include "snmp/SnmpOid.h"
#include "snmp/SnmpString.h"
#include "snmp/SnmpTestHex.h"
#include "snmp/SnmpTimeTicks.h"

namespace kivo::testing {
namespace {

// Walks a BER element; returns false (with a reason) unless its length
// octets are well-formed and, for a constructed element, its children fill
// its content exactly.
bool WellFormed(const std::uint8_t* begin, const std::uint8_t* end, const std::uint8_t** next,
                std::string* why) {
  if (end - begin < 2) return *why = "truncated header", false;
  const std::uint8_t tag = *begin++;
  std::size_t length = *begin++;
  if (length & 0x80) {
    const std::size_t octets = length & 0x7F;
    if (octets == 0 || octets > 4 || static_cast<std::size_t>(end - begin) < octets) {
      return *why = "bad long form", false;
    }
    length = 0;
    for (std::size_t i = 0; i < octets; ++i) length = (length << 8) | *begin++;
    if (length < 127) return *why = "long form for a short length", false;
  } else if (length == 127) {
    return *why = "127 in short form", false;
  }
  if (static_cast<std::size_t>(end - begin) < length) return *why = "length past the end", false;
  const std::uint8_t* content_end = begin + length;
  const bool constructed = tag == 0x30 || (tag >= 0xA0 && tag <= 0xA7);
  if (constructed) {
    while (begin < content_end) {
      if (!WellFormed(begin, content_end, &begin, why)) return false;
    }
  }
  *next = content_end;
  return true;
}

class RandomMessages {
 public:
  explicit RandomMessages(unsigned seed) : random_(seed) {}

  std::unique_ptr<snmp::SnmpMessage> Next() {
    auto message = std::make_unique<snmp::SnmpMessage>();
    if (Chance(9)) message->SetVersion(Int());
    if (Chance(9)) message->SetCommunity(Text(Pick(300)));
    const std::int32_t types[] = {160, 161, 162, 163, 164, 165, 166, 167, 0};
    const std::int32_t type = types[Pick(9)];
    if (type != 0) message->SetPduType(type);
    message->SetRequestId(Int());
    message->SetErrorStatus(Int());
    message->SetErrorIndex(Int());
    message->SetEnterprise(Oid());
    message->SetAgentAddress(Oid());
    message->SetGenericTrap(Int());
    message->SetSpecificTrap(Int());
    message->SetTimeStamp(Int());
    const std::size_t bindings = Pick(12);
    for (std::size_t i = 0; i < bindings; ++i) {
      message->AddVarBind(
          std::make_unique<snmp::SnmpVarBind>(std::make_unique<snmp::SnmpOid>(Oid()), Value()));
    }
    if (Chance(2)) message->AddTrapHeader(Int(), Oid(), static_cast<int>(Pick(9)) - 1, Int());
    return message;
  }

 private:
  std::size_t Pick(std::size_t n) {
    return std::uniform_int_distribution<std::size_t>(0, n - 1)(random_);
  }
  bool Chance(std::size_t in_ten) { return Pick(10) < in_ten; }
  std::int32_t Int() {
    // Mostly small values, where the content length changes most often.
    if (Chance(5)) return static_cast<std::int32_t>(Pick(70000)) - 35000;
    return static_cast<std::int32_t>(random_());
  }
  std::string Text(std::size_t length) {
    std::string text(length, '\0');
    for (char& c : text) c = static_cast<char>(Pick(256));
    return text;
  }
  std::string Oid() {
    std::string text = std::to_string(Pick(3)) + "." + std::to_string(Pick(40));
    const std::size_t components = Pick(40);
    for (std::size_t i = 0; i < components; ++i) text += "." + std::to_string(Int());
    return text;
  }
  std::unique_ptr<snmp::SnmpValue> Value() {
    switch (Pick(6)) {
      case 0:
        return std::make_unique<snmp::SnmpInteger>(Int());
      case 1:
        return std::make_unique<snmp::SnmpTimeTicks>(Int());
      case 2:
        return std::make_unique<snmp::SnmpOid>(Oid());
      case 3:
        return std::make_unique<snmp::SnmpIpAddress>(Oid());
      case 4:
        return nullptr;
      default:
        // Lengths around the form switches are drawn more often than chance.
        const std::size_t lengths[] = {0, 126, 127, 128, 255, 256, Pick(9001)};
        return std::make_unique<snmp::SnmpString>(std::string_view(Text(lengths[Pick(7)])));
    }
  }
  std::mt19937 random_;
};

TEST(SnmpEncodingProperty, SizesMatchTheEncodingForRandomMessages) {
  for (unsigned seed = 1; seed <= 300; ++seed) {
    RandomMessages messages(seed);
    const std::unique_ptr<snmp::SnmpMessage> message = messages.Next();
    const std::vector<std::uint8_t> octets = EncodeExactly(*message);
    ASSERT_EQ(message->EncodedSize(), octets.size()) << "seed " << seed;
    ASSERT_EQ(octets.size(),
              1 + snmp::BerLengthSize(message->ContentSize()) + message->ContentSize());
    std::string why;
    const std::uint8_t* next = nullptr;
    ASSERT_TRUE(WellFormed(octets.data(), octets.data() + octets.size(), &next, &why))
        << "seed " << seed << ": " << why;
    EXPECT_EQ(octets.data() + octets.size(), next) << "seed " << seed;
    EXPECT_EQ(octets, EncodeExactly(*message)) << "encoding changed the message";
  }
}

}  // namespace
}  // namespace kivo::testing
