// The message layer: byte layouts of the two trap forms, the SNMPv2 trap
// header, the read accessors and messages the service never builds.

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "snmp/Ber.h"
#include "snmp/SnmpInteger.h"
#include "snmp/SnmpIpAddress.h"
#include "snmp/SnmpMessage.h"
#include "snmp/SnmpOid.h"
#include "snmp/SnmpString.h"
#include "snmp/SnmpTestHex.h"

namespace kivo::testing {
namespace {

using snmp::SnmpInteger;
using snmp::SnmpMessage;
using snmp::SnmpOid;
using snmp::SnmpString;
using snmp::SnmpVarBind;

std::unique_ptr<SnmpVarBind> Binding(const char* name, std::unique_ptr<snmp::SnmpValue> value) {
  return std::make_unique<SnmpVarBind>(std::make_unique<SnmpOid>(name), std::move(value));
}

TEST(SnmpMessage, V1TrapLayout) {
  SnmpMessage message;
  message.SetVersion(0);
  message.SetCommunity("ab");
  message.SetPduType(snmp::kPduTrapV1);
  message.SetEnterprise("1.3.6.1.4.1.5309.6.1.2.1");
  message.SetAgentAddress("240.30.20.10");
  message.SetTimeStamp(100);
  message.SetGenericTrap(6);
  message.SetSpecificTrap(1);
  message.AddVarBind(Binding("1.3.6.1.4.1.5309.6.1.1.1", std::make_unique<SnmpInteger>(7)));
  message.AddVarBind(Binding("1.3.6.1.4.1.5309.6.1.1.3", std::make_unique<SnmpString>("S")));
  // Fields the trap body lacks are not set, and read as 0.
  message.SetRequestId(5), message.SetErrorStatus(5), message.SetErrorIndex(5);
  EXPECT_EQ(0, message.GetRequestId() + message.GetErrorStatus() + message.GetErrorIndex());
  EXPECT_EQ(
      "30 4B 02 01 00 04 02 61 62 "
      "A4 42 06 0B 2B 06 01 04 01 A9 3D 06 01 02 01 40 04 F0 1E 14 0A "
      "02 01 06 02 01 01 43 01 64 "
      "30 24 30 10 06 0B 2B 06 01 04 01 A9 3D 06 01 01 01 02 01 07 "
      "30 10 06 0B 2B 06 01 04 01 A9 3D 06 01 01 03 04 01 53",
      Hex(EncodeExactly(message)));
  EXPECT_EQ(std::make_tuple(6, 1, 100, 164),
            std::make_tuple(message.GetGenericTrap(), message.GetSpecificTrap(),
                            message.GetTimeStamp(), message.GetPduType()));
  EXPECT_EQ("240.30.20.10", message.GetAgentAddress().value_or("?"));
  EXPECT_EQ("1.3.6.1.4.1.5309.6.1.2.1", message.GetEnterprise().value_or("?"));
}

// The header goes in front of the bindings, also of those added before it.
TEST(SnmpMessage, V2TrapLayoutWithHeaderBindingsFirst) {
  SnmpMessage message;
  message.SetVersion(1);
  message.SetCommunity("ab");
  message.SetPduType(snmp::kPduTrapV2);
  message.SetRequestId(1000);
  message.SetErrorStatus(0);
  message.SetErrorIndex(0);
  message.AddVarBind(Binding("1.3.6.1.4.1.5309.6.1.1.1", std::make_unique<SnmpInteger>(7)));
  message.AddTrapHeader(100, "1.3.6.1.4.1.5309.6.1.2.1", 6, 12);
  message.SetTimeStamp(5), message.SetGenericTrap(5), message.SetSpecificTrap(5);
  message.SetEnterprise("1.3.6"), message.SetAgentAddress("1.2.3.4");
  EXPECT_EQ(0, message.GetTimeStamp() + message.GetErrorStatus() + message.GetErrorIndex());
  EXPECT_EQ(
      "30 53 02 01 01 04 02 61 62 "
      "A7 4A 02 02 03 E8 02 01 00 02 01 00 "
      "30 3E 30 0D 06 08 2B 06 01 02 01 01 03 00 43 01 64 "
      "30 1B 06 0A 2B 06 01 06 03 01 01 04 01 00 06 0D 2B 06 01 04 01 A9 3D 06 01 02 01 00 0C "
      "30 10 06 0B 2B 06 01 04 01 A9 3D 06 01 01 01 02 01 07",
      Hex(EncodeExactly(message)));
  // Bindings read back as name, type and value; 0 and 4 lie outside.
  std::vector<std::string> read;
  for (std::size_t i = 0; i <= message.GetVarBindCount() + 1; ++i) {
    read.push_back(message.GetVarBindName(i) + " " + message.GetVarBindTypeName(i) + " " +
                   message.GetVarBindValue(i));
  }
  EXPECT_EQ((std::vector<std::string>{"NULL NULL NULL", "1.3.6.1.2.1.1.3.0 TimeTick 100",
                                      "1.3.6.1.6.3.1.1.4.1.0 OID 1.3.6.1.4.1.5309.6.1.2.1.0.12",
                                      "1.3.6.1.4.1.5309.6.1.1.1 Integer 7", "NULL NULL NULL"}),
            read);
  EXPECT_EQ(
      std::make_tuple(6, 12, 1000),
      std::make_tuple(message.GetGenericTrap(), message.GetSpecificTrap(), message.GetRequestId()));
  EXPECT_EQ("1.3.6.1.4.1.5309.6.1.2.1.0.12", message.GetEnterprise().value_or("?"));
  EXPECT_EQ("255.255.255.255", message.GetAgentAddress().value_or("?"));
}

TEST(SnmpMessage, TrapHeaderMapsGenericTrapsToTheirIdentifiers) {
  const std::string standard = "1.3.6.1.6.3.1.1.5.";
  const std::string ours = "1.3.6.1.4.1.5309.6.1.2.1";
  // Longer than the room the identifier's text has on the stack.
  const std::string long_enterprise = "1.3" + Repeat(".5309", 100);
  struct Case {
    std::int32_t generic, specific;
    std::string enterprise, trap_oid;
  };
  const Case cases[] = {
      {0, 9, ours, standard + "1"},
      {6, 1, ours, ours + ".0.1"},
      {6, 65535, ours, ours + ".0.65535"},
      {6, 12, long_enterprise, long_enterprise + ".0.12"},
  };
  for (const Case& c : cases) {
    for (std::int32_t type : {snmp::kPduTrapV2, snmp::kPduInformRequest}) {
      SnmpMessage message;
      message.SetPduType(type);
      message.AddTrapHeader(0, c.enterprise, c.generic, c.specific);
      EXPECT_EQ(c.trap_oid, message.GetVarBindValue(2)) << c.generic;
      EXPECT_EQ("OID", message.GetVarBindTypeName(2));
      EXPECT_EQ(6, message.GetGenericTrap());
      if (c.generic == 6) {
        EXPECT_EQ(c.specific, message.GetSpecificTrap());
      }
    }
  }
  SnmpMessage without_header;
  without_header.SetPduType(snmp::kPduTrapV2);
  EXPECT_EQ(0, without_header.GetSpecificTrap());
  EXPECT_FALSE(without_header.GetEnterprise().has_value());
}

// Without a body a message is version and community ("public" at first).
TEST(SnmpMessage, TrapHeaderIsIgnoredOutsideV2NotificationsAndSettersWithoutBodyAreInert) {
  for (std::int32_t type : {0, 160, 164, 165}) {
    SnmpMessage message;
    if (type != 0) message.SetPduType(type);
    message.AddTrapHeader(5, "1.3.6", 6, 2);
    EXPECT_EQ(0u, message.GetVarBindCount()) << type;
  }
  SnmpMessage message;  // 165 is not supported: no body
  message.SetVersion(1);
  message.SetPduType(snmp::kPduGetBulkRequest);
  message.SetRequestId(5), message.SetEnterprise("1.3.6"), message.SetAgentAddress("1.2.3.4");
  message.AddVarBind(Binding("1.3.6", std::make_unique<SnmpInteger>(1)));
  EXPECT_EQ(std::make_tuple(255, 0, 1, std::string("public")),
            std::make_tuple(message.GetPduType(), message.GetRequestId(), message.GetVersion(),
                            message.GetCommunity()));
  EXPECT_THROW(SnmpMessage().GetVersion(), snmp::SnmpMissingVersion);
  EXPECT_FALSE(message.GetEnterprise().has_value() || message.GetAgentAddress().has_value());
  EXPECT_EQ("30 0B 02 01 01 04 06 70 75 62 6C 69 63", Hex(EncodeExactly(message)));
}

TEST(SnmpMessage, BindingWithoutValueEncodesNull) {
  SnmpMessage message;
  message.SetPduType(snmp::kPduGetRequest);
  message.SetRequestId(1);
  message.AddVarBind(Binding("1.3.6", nullptr));
  EXPECT_EQ(
      "30 1D 04 06 70 75 62 6C 69 63 A0 13 02 01 01 02 01 00 02 01 00 30 08 30 06 06 02 2B 06 "
      "05 00",
      Hex(EncodeExactly(message)));
  EXPECT_EQ("NULL", message.GetVarBindValue(1));
}

// A binding keeps its name inside itself; a long one, beyond the inline
// room, and a missing one (the OID of the empty text) as well.
TEST(SnmpVarBind, KeepsTheNameItWasGivenWhateverItsSize) {
  const std::string long_text = "1.3" + Repeat(".5309", 100);
  for (const std::string& text : {std::string("1.3.6.1.2.1.1.3.0"), long_text, std::string()}) {
    auto name = text.empty() ? nullptr : std::make_unique<SnmpOid>(text);
    if (name) name->ToText();  // a cached text does not travel with the content
    const SnmpVarBind binding(std::move(name), std::make_unique<SnmpInteger>(1));
    const std::vector<std::uint8_t> name_octets = EncodeExactly(SnmpOid(text));
    const std::vector<std::uint8_t> octets = EncodeExactly(binding);
    ASSERT_EQ(snmp::BerElementSize(name_octets.size() + 3), octets.size()) << text;
    EXPECT_TRUE(
        std::equal(name_octets.begin(), name_octets.end(), octets.end() - 3 - name_octets.size()));
    EXPECT_EQ(SnmpOid(text).ToText(), binding.Name().ToText());
  }
}

}  // namespace
}  // namespace kivo::testing
