// The trap stage sending to a real UDP listener on loopback: every trap is
// compared byte for byte with the message it must be.

#include <gtest/gtest.h>

#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "forwarding/ForwardingFixture.h"
#include "forwarding/TrapStage.h"
#include "snmp/SnmpInteger.h"
#include "snmp/SnmpPdu.h"
#include "snmp/SnmpString.h"

namespace kivo::testing {
namespace {

struct Binding {
  std::string oid;
  std::int32_t number;
  const char* text;  // null: an INTEGER binding
};

constexpr char kEventOid[] = "1.3.6.1.4.1.5309.6.1.1.";
const char* const kFlags[] = {"ien", "iet", "ies", "iecn", "ieu", "ied", "iec"};

// The seven event bindings of an event, in the order a trap carries them.
std::vector<Binding> EventBindings(const OwnedEvent& e) {
  return {{std::string(kEventOid) + "1", e.id, nullptr},
          {std::string(kEventOid) + "2", e.type, nullptr},
          {std::string(kEventOid) + "3", 0, e.source},
          {std::string(kEventOid) + "4", 0, e.computer},
          {std::string(kEventOid) + "5", 0, e.user},
          {std::string(kEventOid) + "6", 0, e.description.c_str()},
          {std::string(kEventOid) + "7", e.category, nullptr}};
}

class TrapStageTest : public StoreFixture {
 protected:
  void Run(OwnedEvent& event, std::int32_t version, bool tracing = false,
           const std::string& destination = "127.0.0.1") {
    config::TraceFile trace = config::TraceFile::OpenIf(tracing);
    forwarding::EventRecord record = event.View();
    forwarding::TrapSettings settings{version, destination, trap_listener_.Port(), "public"};
    forwarding::TrapStage stage(sockets_, [] { return kNow; });
    stage.Run(*config_, record, settings, kUptimeTicks, trace);
  }

  Bytes Expected(std::int32_t version, std::int32_t specific, const std::string& enterprise,
                 const std::vector<Binding>& bindings) {
    snmp::SnmpMessage message;
    message.SetVersion(version);
    message.SetCommunity("public");
    if (version == 0) {
      message.SetPduType(snmp::kPduTrapV1);
      message.SetEnterprise(enterprise);
      message.SetAgentAddress(agent_);
      message.SetTimeStamp(kUptimeTicks);
      message.SetGenericTrap(6);
      message.SetSpecificTrap(specific);
    } else {
      message.SetPduType(snmp::kPduTrapV2);
      message.SetRequestId(static_cast<std::int32_t>(kNow));
      message.SetErrorIndex(0);
      message.SetErrorStatus(0);
      message.AddTrapHeader(kUptimeTicks, enterprise, 6, specific);
    }
    for (const Binding& b : bindings) {
      std::unique_ptr<snmp::SnmpValue> value;
      if (b.text != nullptr) {
        value = std::make_unique<snmp::SnmpString>(b.text);
      } else {
        value = std::make_unique<snmp::SnmpInteger>(b.number);
      }
      message.AddVarBind(std::make_unique<snmp::SnmpVarBind>(std::make_unique<snmp::SnmpOid>(b.oid),
                                                             std::move(value)));
    }
    return Encode(message);
  }
};

TEST_F(TrapStageTest, FormFollowsVersionMapAndSenderOid) {
  struct Case {
    std::int32_t version;
    bool mapped;
    const char* sender_oid;
  } const cases[] = {
      {0, false, ""}, {0, true, ""}, {0, false, "1.3.6.1.4.1.99.1"},
      {1, false, ""}, {1, true, ""}, {1, true, "1.3.6.1.4.1.99.1"},
      {2, false, ""},  // any non-zero version is SNMPv2c, with that version number
  };
  for (const Case& c : cases) {
    config_->ClearMaps();
    if (c.mapped) AddMap(6005);
    AddMap(6006);
    SetText("senderOID", c.sender_oid);
    OwnedEvent event = StartedEvent();
    Run(event, c.version);
    const std::string enterprise = *c.sender_oid != '\0' ? c.sender_oid : kDefaultEnterprise;
    EXPECT_EQ(Expected(c.version, c.mapped ? 6005 : 1, enterprise, EventBindings(event)),
              ReceiveTrap())
        << "version " << c.version << (c.mapped ? " mapped " : " unmapped ") << c.sender_oid;
  }
}

TEST_F(TrapStageTest, IncludeFlagsChooseTheBindings) {
  for (std::int32_t version : {0, 1}) {
    for (std::size_t off = 0; off <= std::size(kFlags); ++off) {  // the last round: all off
      for (std::size_t i = 0; i < std::size(kFlags); ++i) {
        SetNumber(kFlags[i], off == std::size(kFlags) || i == off ? 0 : 1);
      }
      OwnedEvent event = StartedEvent();
      std::vector<Binding> bindings;
      if (off < std::size(kFlags)) {
        bindings = EventBindings(event);
        bindings.erase(bindings.begin() + static_cast<std::ptrdiff_t>(off));
      }
      Run(event, version);
      EXPECT_EQ(Expected(version, 1, kDefaultEnterprise, bindings), ReceiveTrap())
          << "version " << version << " flag off " << off;
    }
  }
}

TEST_F(TrapStageTest, StripCrlfReplacesLineBreaksOfIncludedTextsInTheEvent) {
  struct Case {
    std::int32_t strip, ied;
  } const cases[] = {{1, 1}, {1, 0}, {0, 1}};
  for (const Case& c : cases) {
    SetNumber("stripCRLF", c.strip);
    SetNumber("ied", c.ied);
    OwnedEvent event(7, 1, 0, "Src\r\n", "HOST", "Admin\n", "line one\r\nline two\r\n");
    OwnedEvent expected = event;
    if (c.strip != 0) {
      OwnedEvent::Copy(expected.source, "Src  ");
      OwnedEvent::Copy(expected.user, "Admin ");
      if (c.ied != 0) expected.description = "line one  line two  ";
    }
    Run(event, 1);
    std::vector<Binding> bindings = EventBindings(expected);
    if (c.ied == 0) bindings.erase(bindings.begin() + 5);
    EXPECT_EQ(Expected(1, 1, kDefaultEnterprise, bindings), ReceiveTrap()) << c.strip << c.ied;
    // The event itself carries the edit on to the syslog stage.
    EXPECT_STREQ(expected.source, event.source);
    EXPECT_STREQ(expected.user, event.user);
    EXPECT_EQ(expected.description, event.description);
  }
}

TEST_F(TrapStageTest, UnreadableTrapOptionsFallBackToTheirDefaults) {
  SetText("senderOID", std::string(200, '1'));
  DeleteRootValue("stripCRLF");
  DeleteRootValue("ieu");
  OwnedEvent event(5, 2, 1, "Src", "HOST", "line\r\nbreak", "Text");
  Run(event, 1, true);
  std::vector<Binding> bindings = EventBindings(event);
  EXPECT_EQ(Expected(1, 1, kDefaultEnterprise, bindings), ReceiveTrap());
  const std::string trace = Trace();
  for (const char* line : {"cannot read senderOID, using the default enterprise\r\n",
                           "cannot read stripCRLF, line breaks kept\r\n",
                           "cannot read ieu, binding included\r\nadded event user varbind\r\n"}) {
    EXPECT_NE(std::string::npos, trace.find(line)) << line;
  }
}

}  // namespace
}  // namespace kivo::testing
