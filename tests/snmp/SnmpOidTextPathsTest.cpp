// OID texts take one of two readers: plain digits-and-dots text a quick one,
// anything else the general one. A leading dot changes nothing about a text's
// meaning but always sends it to the general reader, so comparing a text
// with its dotted twin proves that both readers agree.

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <random>
#include <string>

#include "snmp/SnmpMessage.h"
#include "snmp/SnmpOid.h"
#include "snmp/SnmpTestHex.h"

namespace kivo::testing {
namespace {

void ExpectBothReadersAgree(const std::string& text) {
  const snmp::SnmpOid quick(text);
  const snmp::SnmpOid general("." + text);
  EXPECT_TRUE(quick.Content() == general.Content()) << '"' << text.substr(0, 80) << '"';
}

TEST(SnmpOidTextPaths, BothReadersAgreeAtTheEdgesOfPlainText) {
  const std::string cases[] = {
      "1.3.6.1.4.1.5309.6.1.1.1", "1.3", "0.0", "2.999999999.1",
      "999999999.999999999",                // first sub-identifier saturates
      "1.3.999999999",                      // nine digits: still plain
      "1.3.4294967295",                     // ten digits
      "1.3.99999999999",                    // eleven digits, saturates
      "1.3.127.128.16383.16384.268435456",  // one to five octets
      // Not plain:
      "1.3.", "1.3.6.", "1..3", "1.3..6", "1", "12", "", "1.3.6x", "1.3.+6", "1.3. 6", "1.3.-6",
      "1.3.6 ", "1.3" + Repeat(".1", 4094),  // one octet short of full
      "1.3" + Repeat(".1", 4095),            // exactly full
      "1.3" + Repeat(".1", 5000),            // cut
      "1.3" + Repeat(".128", 2100),          // cut between two-octet ones
      "1.3" + Repeat(".268435456", 1000),    // cut between five-octet ones
  };
  for (const std::string& text : cases) ExpectBothReadersAgree(text);
}

TEST(SnmpOidTextPaths, BothReadersAgreeOnRandomTexts) {
  std::mt19937 random(20261206);
  const std::string alphabet = "0123456789.........-+ x";
  for (int round = 0; round < 3000; ++round) {
    // Mostly plain text (digits and dots), now and then a stranger.
    const std::size_t letters = round % 3 == 0 ? alphabet.size() : 14;
    std::string text;
    const std::size_t length = random() % 40;
    for (std::size_t i = 0; i < length; ++i) text += alphabet[random() % letters];
    ExpectBothReadersAgree(text);
  }
}

TEST(SnmpOidTextPaths, TrapIdentifierOfAnyEnterpriseTextIsItsDottedForm) {
  struct Case {
    std::string enterprise;
    std::int32_t specific;
  };
  const Case cases[] = {
      {"1.3.6.1.4.1.5309.6.1.2.1", 7036},    {"1.3.6.1.4.1.5309.6.1.2.1", INT_MIN},
      {"1.3.6.1.4.1.5309.6.1.2.1", INT_MAX}, {"", 0},
      {"1.3" + Repeat(".5309", 100), 12},  // longer than the text's room on the stack
  };
  for (const Case& c : cases) {
    snmp::SnmpMessage message;
    message.SetPduType(snmp::kPduTrapV2);
    message.AddTrapHeader(0, c.enterprise, 6, c.specific);
    const std::string expected =
        snmp::SnmpOid(c.enterprise + ".0." + std::to_string(c.specific)).ToText();
    EXPECT_EQ(expected, message.GetVarBindValue(2)) << c.enterprise.substr(0, 20);
    EXPECT_EQ(c.specific, message.GetSpecificTrap());
  }
}

}  // namespace
}  // namespace kivo::testing
