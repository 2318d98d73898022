// The inform exchange over the in-memory sockets, against a scripted
// receiver that answers as snmptrapd does (RFC 3414's order of checks), on
// the fake's own clock: the doubling waits, what is ignored, SNMPv3's
// discovery and time window, the failures and the stop.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "snmp/InformExchange.h"
#include "snmp/ScriptedReceiver.h"

namespace kivo::testing {
namespace {

using snmp::InformExchange;
using snmp::SecurityLevel;
using Outcome = snmp::InformResult::Outcome;

class InformExchangeTest : public ::testing::Test {
 protected:
  InformExchange::Receiver Learnt() const {
    return exchange_.receiver().value_or(InformExchange::Receiver());
  }

  snmp::InformResult SendV2c() {
    auto inform = SmallPdu(snmp::kPduInformRequest);
    inform->SetCommunity("public");
    return exchange_.SendV2c(*inform, "127.0.0.1", kReceiverPort, nullptr);
  }
  snmp::InformResult SendV3(const snmp::UsmUser& user) {
    auto inform = SmallPdu(snmp::kPduInformRequest);
    return exchange_.SendV3(*inform, user, TestEngineId(), "127.0.0.1", kReceiverPort, nullptr);
  }

  SystemCrypto crypto_;
  FakeSockets sockets_;
  std::uint64_t start_ = 0;
  snmp::SnmpV3Writer writer_{crypto_};
  InformExchange exchange_{sockets_, crypto_, writer_, [this] { return sockets_.now_ms; }};
};

TEST_F(InformExchangeTest, V2cTriesWithDoublingWaitsUntilTheResponseWithItsRequestId) {
  const struct {
    const char* what;
    int ignore;
    std::int32_t error_status;
    Outcome outcome;
    std::vector<std::uint64_t> sent_at;
  } cases[] = {
      {"answered at once", 0, 0, Outcome::kAcknowledged, {0}},
      {"answered on the third try", 2, 0, Outcome::kAcknowledged, {0, 1500, 4500}},
      {"never answered", 99, 0, Outcome::kNoResponse, {0, 1500, 4500, 10500}},
      {"answered with an error", 0, 5, Outcome::kErrorStatus, {0}},
  };
  for (const auto& c : cases) {
    ScriptedReceiver receiver(sockets_, crypto_, TestUser(crypto_, SecurityLevel::kNoAuthNoPriv));
    receiver.ignore = c.ignore;
    receiver.error_status = c.error_status;
    std::vector<std::uint64_t> sent_at;
    const auto answer = sockets_.on_send;
    sockets_.on_send = [&](const FakeSockets::Datagram& d) {
      sent_at.push_back(sockets_.now_ms - start_);
      answer(d);
    };
    start_ = sockets_.now_ms;
    const snmp::InformResult result = SendV2c();
    EXPECT_EQ(c.outcome, result.outcome) << c.what << ": " << result.Reason();
    EXPECT_EQ(c.sent_at, sent_at) << c.what;
    EXPECT_EQ(static_cast<int>(c.sent_at.size()), result.datagrams) << c.what;
    if (c.outcome == Outcome::kNoResponse) {
      EXPECT_EQ(22500u, sockets_.now_ms - start_) << c.what;
    }
    sockets_.incoming.clear();
  }
}

// The first inform finds the engine (probe) and its time (the first try,
// refused by the time window), the next one goes straight out with the time
// kept and run on, and a receiver that restarted is timed again.
TEST_F(InformExchangeTest, V3LearnsTheReceiversEngineOnceAndItsTimeWhenItChanges) {
  const snmp::UsmUser user = TestUser(crypto_, SecurityLevel::kAuthPriv);
  ScriptedReceiver receiver(sockets_, crypto_, user);
  snmp::InformResult result = SendV3(user);
  ASSERT_TRUE(result.acknowledged()) << result.Reason();
  EXPECT_EQ(3, result.datagrams);
  // The probe: empty engine and user, noAuthNoPriv, reportable, an empty
  // GetRequest: nothing of the event.
  const auto probe = snmp::ReadMessage(receiver.received[0].data(), receiver.received[0].size());
  ASSERT_TRUE(probe && probe->pdu);
  EXPECT_EQ(snmp::kFlagReportable, probe->flags);
  EXPECT_EQ(0u, probe->usm.engine_id.size + probe->usm.user_name.size);
  EXPECT_EQ(snmp::kPduGetRequest, probe->pdu->type);
  EXPECT_TRUE(probe->pdu->bindings.empty());
  EXPECT_EQ(receiver.id, Learnt().id);
  EXPECT_EQ(5u, Learnt().boots);
  EXPECT_TRUE(Learnt().timed);

  sockets_.now_ms += 60000;
  result = SendV3(user);
  ASSERT_TRUE(result.acknowledged()) << result.Reason();
  EXPECT_EQ(1, result.datagrams);
  const auto& last = receiver.received.back();
  const auto sent = snmp::ReadMessage(last.data(), last.size());
  ASSERT_TRUE(sent);
  EXPECT_EQ(receiver.Time(), sent->usm.time);
  EXPECT_EQ(snmp::kFlagAuth | snmp::kFlagPriv | snmp::kFlagReportable, sent->flags);

  receiver.boots = 6;
  receiver.time = 3;
  result = SendV3(user);
  EXPECT_TRUE(result.acknowledged()) << result.Reason();
  EXPECT_EQ(2, result.datagrams);
  EXPECT_EQ(6u, Learnt().boots);
}

TEST_F(InformExchangeTest, V3FailuresNameTheirReason) {
  const struct {
    const char* what;
    SecurityLevel level;
    const char* receiver_name;
    const char* receiver_passphrase;
    int ignore;
    bool forge;
    Outcome outcome;
    int datagrams;
    const char* reason;
  } cases[] = {
      {"noAuthNoPriv needs no time", SecurityLevel::kNoAuthNoPriv, "kivo", "maplesyrup", 0, false,
       Outcome::kAcknowledged, 2, "acknowledged"},
      {"wrong passphrase", SecurityLevel::kAuthNoPriv, "kivo", "wrong passphrase", 0, false,
       Outcome::kReport, 2, "report 1.3.6.1.6.3.15.1.1.5.0 (usmStatsWrongDigests)"},
      {"unknown user", SecurityLevel::kAuthPriv, "other", "maplesyrup", 0, false, Outcome::kReport,
       2, "report 1.3.6.1.6.3.15.1.1.3.0 (usmStatsUnknownUserNames)"},
      {"silent receiver", SecurityLevel::kAuthPriv, "kivo", "maplesyrup", 99, false,
       Outcome::kNoResponse, 4, "no response after 4 tries"},
      {"forged responses", SecurityLevel::kAuthPriv, "kivo", "maplesyrup", 0, true,
       Outcome::kAuthenticationFailed, 6, "answers failed authentication"},
  };
  for (const auto& c : cases) {
    FakeSockets sockets;
    InformExchange exchange(sockets, crypto_, writer_, [&sockets] { return sockets.now_ms; });
    const snmp::UsmUser user = TestUser(crypto_, c.level);
    auto receiver_user = std::get<snmp::UsmUser>(
        snmp::UsmUser::Derive(crypto_, c.receiver_name, c.level, platform::HashAlgorithm::kSha256,
                              c.receiver_passphrase, "syrupmaple"));
    ScriptedReceiver receiver(sockets, crypto_, receiver_user);
    receiver.ignore = c.ignore;
    receiver.forge = c.forge;
    auto inform = SmallPdu(snmp::kPduInformRequest);
    const snmp::InformResult result =
        exchange.SendV3(*inform, user, TestEngineId(), "127.0.0.1", kReceiverPort, nullptr);
    EXPECT_EQ(c.outcome, result.outcome) << c.what;
    EXPECT_EQ(c.datagrams, result.datagrams) << c.what;
    EXPECT_EQ(c.reason, result.Reason()) << c.what;
  }
}

// The service must stop within 2 s: the wait looks at the stop check at
// least every 250 ms.
TEST_F(InformExchangeTest, StopCheckEndsTheWait) {
  ScriptedReceiver receiver(sockets_, crypto_, TestUser(crypto_, SecurityLevel::kNoAuthNoPriv));
  receiver.ignore = 99;
  auto inform = SmallPdu(snmp::kPduInformRequest);
  const snmp::InformResult result = exchange_.SendV2c(*inform, "127.0.0.1", kReceiverPort,
                                                      [this] { return sockets_.now_ms >= 2000; });
  EXPECT_EQ(Outcome::kStopped, result.outcome);
  EXPECT_LE(sockets_.now_ms, 2000u + InformExchange::kStopCheckMs);
}

}  // namespace
}  // namespace kivo::testing
