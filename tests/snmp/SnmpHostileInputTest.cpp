// Texts the library could be handed by a damaged configuration: none may
// crash it or make it write a malformed encoding.

#include <gtest/gtest.h>

#include <string>

#include "snmp/SnmpIpAddress.h"
#include "snmp/SnmpOid.h"
#include "snmp/SnmpTestHex.h"

namespace kivo::testing {
namespace {

TEST(SnmpOidHostileText, EveryTextGivesAWellFormedOid) {
  struct Case {
    std::string label;
    std::string text;
    const char* rendered;
  };
  const Case cases[] = {
      {"empty", "", "0.0."},
      {"only dots", Repeat(".", 100000), "0.0."},
      {"one component", "1", "1.0."},
      {"non-numeric", "abc.def", "0.0."},
      {"non-numeric tail", "1.3.x.4", "1.3.0.4"},
      {"digits then junk", "1.3.6x7.1", "1.3.6.1"},
      {"white space and sign", " 1. +3.\t6", "1.3.6"},
      {"negative wraps", "1.3.-1", "1.3.4294967295"},
      {"huge saturates", "1.3.99999999999999999999999", "1.3.4294967295"},
      {"huge first arcs saturate", "4294967295.4294967295.1", "2.4294967215.1"},
      {"negative first arcs", "-1.-1", "2.4294967215."},
      {"inner NUL", std::string("1.3\0.9", 6), "1.3.9"},
  };
  for (const Case& c : cases) {
    const snmp::SnmpOid oid(c.text);
    EXPECT_EQ(c.rendered, oid.ToText()) << c.label;
    const std::vector<std::uint8_t> octets = EncodeExactly(oid);
    ASSERT_GE(octets.size(), 3u) << c.label;
    EXPECT_EQ(0x06, octets[0]) << c.label;
    EXPECT_EQ(0, octets.back() & 0x80) << c.label << ": last sub-identifier left open";
  }
}

TEST(SnmpOidHostileText, ThousandsOfComponentsAreCutAtAWholeSubIdentifier) {
  struct Case {
    std::string label;
    std::string text;
    std::size_t content;
  };
  const Case cases[] = {
      {"small components", "1.3" + Repeat(".1", 10000), 4096},
      {"five-octet components", "1.3" + Repeat(".4294967295", 5000), 1 + 5 * 819},
      {"four-octet components", "1.3" + Repeat(".268435455", 5000), 1 + 4 * 1023},
      {"exactly full", "1.3" + Repeat(".1", 4095), 4096},
  };
  for (const Case& c : cases) {
    const snmp::SnmpOid oid(c.text);
    EXPECT_EQ(c.content, oid.ContentLength()) << c.label;
    const std::vector<std::uint8_t> octets = EncodeExactly(oid);
    ASSERT_EQ(1 + 3 + c.content, octets.size()) << c.label;
    EXPECT_EQ("06 82", Hex({octets.begin(), octets.begin() + 2})) << c.label;
    EXPECT_EQ(0, octets.back() & 0x80) << c.label;
    const std::string& text = oid.ToText();
    EXPECT_EQ(0u, c.text.find(text)) << c.label << ": not a prefix of the given text";
  }
}

TEST(SnmpIpAddressHostileText, EveryTextGivesFourOctets) {
  struct Case {
    const char* text;
    const char* rendered;
  };
  const Case cases[] = {
      {"", "0.0.0.0"},
      {"10.1", "10.1.0.0"},
      {"1.2.3.4.5.6", "1.2.3.4"},
      {"300.1.1.1", "44.1.1.1"},
      {"a.b.c.d", "0.0.0.0"},
      {"-1.0.0.0", "255.0.0.0"},
      {"..1...2..", "1.2.0.0"},
      {"99999999999.1.1.1", "255.1.1.1"},
  };
  for (const Case& c : cases) {
    const snmp::SnmpIpAddress address(c.text);
    EXPECT_EQ(c.rendered, address.ToText()) << c.text;
    EXPECT_EQ(6u, EncodeExactly(address).size()) << c.text;
  }
}

}  // namespace
}  // namespace kivo::testing
