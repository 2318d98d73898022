// SNMPv3 traps and informs from the event pipeline, over the in-memory
// sockets and secrets and the system's cryptography: what a receiver
// reads back, what is kept from event to event and from run to run, and
// the failures with their reasons.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "forwarding/EventPipeline.h"
#include "forwarding/ForwardingFixture.h"
#include "platform/fake/FakeSecrets.h"
#include "snmp/EngineStore.h"
#include "snmp/ScriptedReceiver.h"

namespace kivo::testing {
namespace {

using platform::HashAlgorithm;
using snmp::SecurityLevel;

constexpr char kAuthPassphrase[] = "maplesyrup";  // TestUser's
constexpr char kPrivPassphrase[] = "syrupmaple";

// The system's cryptography, counting the hashes it starts (every key
// derived or localized starts one; a MAC or a block starts none), and
// without SHA-224 when told, as CNG is.
class CountingCrypto : public SystemCrypto {
 public:
  std::unique_ptr<platform::HashStream> StartHash(HashAlgorithm algorithm) override {
    ++hashes;
    if (algorithm == HashAlgorithm::kSha224 && !sha224) return nullptr;
    return SystemCrypto::StartHash(algorithm);
  }
  int hashes = 0;
  bool sha224 = true;
};

// A PDU as a receiver reads it: type, request-id and each binding's name,
// value tag and value.
using PduSeen =
    std::tuple<int, std::int32_t, std::vector<std::tuple<std::string, int, std::string>>>;
PduSeen Seen(const snmp::ReceivedPdu& pdu) {
  std::vector<std::tuple<std::string, int, std::string>> bindings;
  for (const snmp::ReceivedBinding& b : pdu.bindings) {
    bindings.emplace_back(b.NameText(), b.value_tag,
                          std::string(reinterpret_cast<const char*>(b.value.data), b.value.size));
  }
  return {pdu.type, pdu.request_id, bindings};
}

class NotificationTest : public StoreFixture {
 protected:
  void SetUp() override {
    StoreFixture::SetUp();
    SetNumber("port", kReceiverPort);
    secrets_.Write(platform::kSecretAuthPassphrase, kAuthPassphrase);
    secrets_.Write(platform::kSecretPrivPassphrase, kPrivPassphrase);
    NewRun();
  }

  void UseV3(std::int32_t level, const char* auth = "SHA-256") {
    SetNumber("version", 3);
    SetText("v3user", "kivo");
    SetNumber("v3level", level);
    SetText("v3auth", auth);
    SetText("v3priv", "AES");
  }
  // The pipeline as a start of the service makes it.
  void NewRun() {
    pipeline_.reset();
    counter_ = std::make_unique<perf::UptimeCounter>(perf_);
    pipeline_ = std::make_unique<forwarding::EventPipeline>(*config_, *counter_, sockets_fake_,
                                                            [] { return kNow; });
    pipeline_->traps().EnableNotifications(
        {crypto_, secrets_, registry_, [this] { return stop_at_ != 0 && Now() >= stop_at_; },
         [this] { return Now(); }},
        Now());
  }
  std::int64_t Now() const { return static_cast<std::int64_t>(sockets_fake_.now_ms); }
  // One event through the pipeline: the trap's outcome.
  forwarding::SendOutcome Send(const std::string& description = "Started") {
    OwnedEvent event(6005, 3, 0, "EventLog", "KIVOHOST", "Not Specified", description);
    forwarding::EventRecord record = event.View();
    const forwarding::SendOutcomes outcomes = pipeline_->Process(record);
    return outcomes.empty() ? forwarding::SendOutcome() : outcomes.front();
  }
  std::optional<snmp::EngineId> KeptEngineId() {
    std::unique_ptr<platform::RegistryKey> key;
    registry_.Open(config::names::kRootPath, &key);
    std::uint8_t octets[64];
    std::uint32_t size = sizeof(octets);
    platform::RegType type = platform::RegType::kNone;
    if (key->QueryValue("engineID", &type, octets, &size) != platform::kRegSuccess) return {};
    return snmp::EngineId::FromOctets(octets, size);
  }
  const Bytes& LastSent() const { return sockets_fake_.sent.back().octets; }

  CountingCrypto crypto_;
  platform::FakeSockets sockets_fake_;
  platform::FakeSecrets secrets_;
  std::int64_t stop_at_ = 0;
  std::unique_ptr<perf::UptimeCounter> counter_;
  std::unique_ptr<forwarding::EventPipeline> pipeline_;
};

// Whatever the level and hash, the SNMPv3 trap carries Kivo's engine and
// the PDU of the SNMPv2c trap, authenticated and encrypted with the keys of
// the stored passphrases.
TEST_F(NotificationTest, SnmpV3TrapCarriesTheSnmpV2cTrapsPdu) {
  SetNumber("version", 1);
  ASSERT_TRUE(Send().sent);
  const Bytes v2c = LastSent();
  const PduSeen expected = Seen(*snmp::ReadMessage(v2c.data(), v2c.size())->pdu);
  const struct {
    std::int32_t level;
    const char* auth;
    HashAlgorithm hash;
    std::uint8_t flags;
  } cases[] = {{0, "SHA-256", HashAlgorithm::kSha256, 0},
               {1, "SHA", HashAlgorithm::kSha1, snmp::kFlagAuth},
               {2, "SHA-256", HashAlgorithm::kSha256, snmp::kFlagAuth | snmp::kFlagPriv},
               {2, "SHA-512", HashAlgorithm::kSha512, snmp::kFlagAuth | snmp::kFlagPriv}};
  for (const auto& c : cases) {
    UseV3(c.level, c.auth);
    ASSERT_TRUE(Send().sent) << c.auth;
    const Bytes sent = LastSent();
    std::optional<snmp::ReceivedMessage> message = snmp::ReadMessage(sent.data(), sent.size());
    ASSERT_TRUE(message) << c.auth;
    EXPECT_EQ(3, message->version);
    EXPECT_EQ(c.flags, message->flags) << c.level << c.auth;  // not reportable
    const snmp::EngineId engine = KeptEngineId().value_or(snmp::EngineId());
    EXPECT_EQ(engine, *snmp::EngineId::FromOctets(message->usm.engine_id.data,
                                                  message->usm.engine_id.size));
    EXPECT_EQ(engine, *snmp::EngineId::FromOctets(message->context_engine_id.data,
                                                  message->context_engine_id.size));
    EXPECT_EQ(0u, message->context_name.size);
    const auto user = snmp::LocalizedUser::Localize(
        crypto_, TestUser(crypto_, static_cast<SecurityLevel>(c.level), c.hash), engine);
    if (c.level > 0) {
      EXPECT_TRUE(snmp::VerifyAuthentication(*user, sent.data(), sent.size(), *message));
    }
    snmp::MessageBuffer clear;
    if (c.level == 2) {
      ASSERT_TRUE(snmp::DecryptScopedPdu(*user, &*message, &clear));
    }
    ASSERT_TRUE(message->pdu) << c.auth;
    EXPECT_EQ(expected, Seen(*message->pdu)) << c.level << c.auth;
  }
}

// The engine ID is made at the first SNMPv3 trap and kept; the boots go up
// once per run, and the time counts from the run's start. The keys are
// derived when the passphrases change, not for every event.
TEST_F(NotificationTest, EngineAndKeysAreKeptAcrossEventsAndRuns) {
  SetNumber("version", 1);
  Send();
  EXPECT_FALSE(KeptEngineId());  // no SNMPv3, no engine
  UseV3(2);
  std::optional<snmp::EngineId> first;
  for (std::uint32_t run = 1; run <= 2; ++run) {
    NewRun();
    sockets_fake_.now_ms += 3000;
    for (int event = 0; event < 2; ++event) {
      const int hashes = crypto_.hashes;
      ASSERT_TRUE(Send().sent);
      if (event > 0) {
        EXPECT_EQ(hashes, crypto_.hashes) << "keys derived again";
      }
      const auto message = snmp::ReadMessage(LastSent().data(), LastSent().size());
      EXPECT_EQ(run, message->usm.boots);
      EXPECT_EQ(3u, message->usm.time);
    }
    if (!first) first = KeptEngineId();
    EXPECT_EQ(first, KeptEngineId());
  }
  config_->Open("");
  EXPECT_EQ(2, config_->ReadNumber("engineBoots"));

  secrets_.Write(platform::kSecretPrivPassphrase, "a new passphrase");
  const int hashes = crypto_.hashes;
  ASSERT_TRUE(Send().sent);
  EXPECT_LT(hashes, crypto_.hashes);
  auto changed = std::get<snmp::UsmUser>(
      snmp::UsmUser::Derive(crypto_, "kivo", SecurityLevel::kAuthPriv, HashAlgorithm::kSha256,
                            kAuthPassphrase, "a new passphrase"));
  auto message = snmp::ReadMessage(LastSent().data(), LastSent().size());
  snmp::MessageBuffer clear;
  EXPECT_TRUE(snmp::DecryptScopedPdu(*snmp::LocalizedUser::Localize(crypto_, changed, *first),
                                     &*message, &clear));

  // A value that holds no engine ID is refused and left as it is.
  SetText("engineID", "not an engine");
  NewRun();
  EXPECT_EQ("the stored engineID is damaged; delete it to start anew", Send().reason);
  config_->Open("");
  EXPECT_EQ("not an engine", config_->ReadText("engineID"));
}

// Settings that cannot be used fail the send with their reason, which the
// trace shows, and nothing goes out. No passphrase is ever traced.
TEST_F(NotificationTest, UnusableSettingsFailWithTheirReason) {
  SetNumber("logging", 1);
  const struct {
    const char* name;
    const char* text;  // null: deleted
    std::int32_t number;
    const char* reason;
  } cases[] = {
      {"v3user", nullptr, 0, "cannot read v3user"},
      {"v3level", nullptr, 3, "v3level 3 is not 0, 1 or 2"},
      {"v3auth", "MD5", 0, "v3auth \"MD5\" is none of SHA, SHA-224, SHA-256, SHA-384 and SHA-512"},
      {"v3priv", "DES", 0, "v3priv \"DES\" is not AES"},
      {"v3auth", "SHA-224", 0, "SHA-224 is not available on this system"},
      {"v3privpass", nullptr, 0, "no v3privpass is stored (kivo -p v3privpass)"},
      {"v3authpass", "Zq9x", 0, "the authentication passphrase is shorter than 8 characters"},
      {"v3authpass", kAuthPassphrase, 5, "v3authpass cannot be read: error 5"},  // refused
  };
  crypto_.sha224 = false;
  for (const auto& c : cases) {
    UseV3(2);
    const std::string name = c.name;
    if (name == "v3user") DeleteRootValue("v3user");
    if (name == "v3level") SetNumber("v3level", c.number);
    if (name == "v3auth" || name == "v3priv") SetText(c.name, c.text);
    secrets_ = platform::FakeSecrets();
    secrets_.Write(platform::kSecretAuthPassphrase,
                   name == "v3authpass" ? c.text : kAuthPassphrase);
    if (name != "v3privpass") secrets_.Write(platform::kSecretPrivPassphrase, kPrivPassphrase);
    if (name == "v3authpass") secrets_.refuse_error = static_cast<platform::Win32Error>(c.number);
    std::remove(config::TraceFile::kFileName);
    const std::size_t sent = sockets_fake_.sent.size();
    const forwarding::SendOutcome outcome = Send();
    EXPECT_FALSE(outcome.sent) << c.reason;
    EXPECT_EQ(c.reason, outcome.reason);
    EXPECT_EQ(sent, sockets_fake_.sent.size()) << c.reason;
    const std::string trace = Trace();
    EXPECT_NE(std::string::npos, trace.find(std::string("port:10162\r\nv3user:") +
                                            (name == "v3user" ? "" : "kivo") + "\r\nv3level:"))
        << trace;
    EXPECT_NE(std::string::npos, trace.find("trap not sent: " + std::string(c.reason) + "\r\n"));
    for (const char* secret : {kAuthPassphrase, kPrivPassphrase, "Zq9x"}) {
      EXPECT_EQ(std::string::npos, trace.find(secret)) << c.reason;
    }
  }
}

// An inform waits for its response: SNMPv2c, or SNMPv3 with the receiver's
// engine discovered once and kept while the destination stays; one that no
// response acknowledges, or that a stop ends, is a failed send.
TEST_F(NotificationTest, InformsAreAcknowledgedOrFailWithTheirReason) {
  SetNumber("inform", 1);
  SetNumber("version", 1);
  ScriptedReceiver receiver(sockets_fake_, crypto_, TestUser(crypto_, SecurityLevel::kAuthPriv));
  ASSERT_TRUE(Send().sent);
  EXPECT_EQ(1u, receiver.received.size());
  UseV3(2);
  const struct {
    const char* destination;
    std::size_t datagrams;
  } rounds[] = {{"127.0.0.1", 3}, {"127.0.0.1", 1}, {"localhost", 3}};
  for (const auto& r : rounds) {
    SetText("destination", r.destination);
    const std::size_t before = receiver.received.size();
    const forwarding::SendOutcome outcome = Send();
    EXPECT_TRUE(outcome.sent) << outcome.reason;
    EXPECT_EQ(r.datagrams, receiver.received.size() - before) << r.destination;
  }
  const auto inform = snmp::ReadMessage(LastSent().data(), LastSent().size());
  EXPECT_EQ(snmp::kFlagAuth | snmp::kFlagPriv | snmp::kFlagReportable, inform->flags);

  receiver.ignore = 99;
  std::uint64_t start = sockets_fake_.now_ms;
  EXPECT_EQ("no response after 4 tries", Send().reason);
  EXPECT_EQ(22500u, sockets_fake_.now_ms - start);
  start = sockets_fake_.now_ms;
  stop_at_ = Now() + 1000;
  const forwarding::SendOutcome stopped = Send();
  EXPECT_EQ("stopped while waiting", stopped.reason);
  // Not sent, so not done; but no outage of the destination either.
  EXPECT_TRUE(!stopped.sent && stopped.stopped);
  EXPECT_LE(sockets_fake_.now_ms - start, 1000u + snmp::InformExchange::kStopCheckMs);
}

}  // namespace
}  // namespace kivo::testing
