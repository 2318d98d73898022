// Byte-exact encodings of the BER primitives and the value classes.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "snmp/Ber.h"
#include "snmp/SnmpInteger.h"
#include "snmp/SnmpIpAddress.h"
#include "snmp/SnmpOid.h"
#include "snmp/SnmpString.h"
#include "snmp/SnmpTestHex.h"
#include "snmp/SnmpTimeTicks.h"

namespace kivo::testing {
namespace {

using snmp::SnmpInteger;
using snmp::SnmpIpAddress;
using snmp::SnmpOid;
using snmp::SnmpString;
using snmp::SnmpTimeTicks;
using snmp::SnmpValue;

TEST(BerLength, ShortFormEndsAt126AndLongFormUsesFewestOctets) {
  std::string encoded;
  for (std::size_t length : {0, 126, 127, 128, 256, 65535, 65536, 16777215, 16777216}) {
    std::vector<std::uint8_t> buffer(16, 0);
    std::uint8_t* cursor = buffer.data();
    snmp::BerWriteLength(cursor, length);
    buffer.resize(static_cast<std::size_t>(cursor - buffer.data()));
    EXPECT_EQ(buffer.size(), snmp::BerLengthSize(length)) << length;
    encoded += Hex(buffer) + " | ";
  }
  EXPECT_EQ(
      "00 | 7E | 81 7F | 81 80 | 82 01 00 | 82 FF FF | 83 01 00 00 | 83 FF FF FF | "
      "84 01 00 00 00 | ",
      encoded);
}

struct ValueCase {
  std::string label;
  std::shared_ptr<SnmpValue> value;
  const char* octets;
  const char* text;
};

std::vector<ValueCase> ValueCases() {
  auto integer = [](std::int32_t v) { return std::make_shared<SnmpInteger>(v); };
  auto ticks = [](std::int32_t v) { return std::make_shared<SnmpTimeTicks>(v); };
  auto oid = [](const char* t) { return std::make_shared<SnmpOid>(t); };
  auto text = [](std::string t) { return std::make_shared<SnmpString>(std::string_view(t)); };
  auto ip = [](const char* t) { return std::make_shared<SnmpIpAddress>(t); };
  return {
      {"Integer0", integer(0), "02 01 00", "0"},
      {"Integer127", integer(127), "02 01 7F", "127"},
      {"Integer128", integer(128), "02 02 00 80", "128"},
      {"Integer256", integer(256), "02 02 01 00", "256"},
      {"IntegerMinus128", integer(-128), "02 01 80", "-128"},
      {"IntegerMinus129", integer(-129), "02 02 FF 7F", "-129"},
      {"IntegerMax", integer(2147483647), "02 04 7F FF FF FF", "2147483647"},
      {"IntegerMin", integer(INT32_MIN), "02 04 80 00 00 00", "-2147483648"},
      {"Ticks0", ticks(0), "43 01 00", "0"},
      {"TicksNegative", ticks(-105900), "43 05 00 FF FE 62 54", "-105900"},
      {"TicksTopBitOnly", ticks(INT32_MIN), "43 05 00 80 00 00 00", "-2147483648"},
      {"TicksMax", ticks(INT32_MAX), "43 04 7F FF FF FF", "2147483647"},
      {"Ticks128", ticks(128), "43 02 00 80", "128"},
      {"StringEmpty", text(""), "04 00", ""},
      {"StringNull", std::make_shared<SnmpString>(static_cast<const char*>(nullptr)), "04 00", ""},
      {"StringAbc", text("abc"), "04 03 61 62 63", "abc"},
      {"StringNotPrintable", text(std::string("a\x01", 2)), "04 02 61 01", "6101"},
      {"StringFinalNul", text(std::string("abc\0", 4)), "04 04 61 62 63 00", "abc"},
      {"StringInnerNul", text(std::string("a\0b", 3)), "04 03 61 00 62", "610062"},
      {"StringLineBreaks", text("a\tb\r\n"), "04 05 61 09 62 0D 0A", "a\tb\r\n"},
      {"StringDelete", text("~\x7f"), "04 02 7E 7F", "7e7f"},
      {"Oid13", oid("1.3"), "06 01 2B", "1.3."},
      {"OidSysUpTime", oid("1.3.6.1.2.1.1.3.0"), "06 08 2B 06 01 02 01 01 03 00",
       "1.3.6.1.2.1.1.3.0"},
      {"OidDoubleDot", oid("1..3"), "06 01 2B", "1.3."},
      {"OidOuterDots", oid(".1.3.6."), "06 02 2B 06", "1.3.6"},
      {"OidNonNumeric", oid("1.3.x.4"), "06 03 2B 00 04", "1.3.0.4"},
      {"OidHugeSaturates", oid("1.3.99999999999"), "06 06 2B 8F FF FF FF 7F", "1.3.4294967295"},
      {"OidNegativeWraps", oid(" 1. +3.-1"), "06 06 2B 8F FF FF FF 7F", "1.3.4294967295"},
      // Sub-identifiers of one to five octets, at the edges.
      {"OidLargeArcs", oid("1.3.127.128.200.16383.16384.268435455.268435456"),
       "06 14 2B 7F 81 00 81 48 FF 7F 81 80 00 FF FF FF 7F 81 80 80 80 00",
       "1.3.127.128.200.16383.16384.268435455.268435456"},
      {"OidSecondArcZero", oid("0.0"), "06 01 00", "0.0."},
      {"OidFirstArc2", oid("2.100.3"), "06 03 81 34 03", "2.100.3"},
      {"IpFallback", ip("240.30.20.10"), "40 04 F0 1E 14 0A", "240.30.20.10"},
  };
}

TEST(SnmpValues, EncodeByteExactAndRenderAsText) {
  for (const ValueCase& c : ValueCases()) {
    EXPECT_EQ(c.octets, Hex(EncodeExactly(*c.value))) << c.label;
    EXPECT_EQ(c.octets, Hex(c.value->EncodeToNewBuffer())) << c.label;
    EXPECT_EQ(c.text, c.value->ToText()) << c.label;
  }
}

TEST(SnmpString, TextBeyondSixteenBitContentIsCutNotWrapped) {
  const SnmpString value(std::string(70000, 'y'));
  const std::vector<std::uint8_t> octets = EncodeExactly(value);
  ASSERT_EQ(65535u + 4, octets.size());
  EXPECT_EQ("04 82 FF FF", Hex({octets.begin(), octets.begin() + 4}));
}

}  // namespace
}  // namespace kivo::testing
