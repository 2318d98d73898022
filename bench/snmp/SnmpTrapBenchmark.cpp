// Per-trap cost of building and encoding the service's SNMPv2c trap (nine
// bindings: sysUpTime.0, snmpTrapOID.0 and the seven event bindings, with a
// 500-byte description), with our library and, side by side in the same run,
// with net-snmp's library building and encoding the same PDU. net-snmp is
// given its OIDs pre-parsed (as its programs usually hold them), while ours
// are parsed from dotted text as the service does, so the comparison leans
// towards net-snmp.
//
// The same trap as SNMPv3 at authPriv (HMAC-SHA-256 and AES-128, Kivo's
// engine authoritative), built, encoded, encrypted and authenticated: ours
// over OpenSSL's libcrypto (the native build's platform cryptography),
// net-snmp's with a USM user made from a session as its snmptrap makes it.
// Both derive and localize their keys once, before the loop.
//
// Prints the per-trap times and the ratios at the end.

#include <benchmark/benchmark.h>

// net-snmp's headers must come in this order.
#include <net-snmp/net-snmp-config.h>
#include <net-snmp/net-snmp-includes.h>
#include <openssl/evp.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <variant>
#include <vector>

#include "platform/posix/PosixCrypto.h"
#include "snmp/LocalEngine.h"
#include "snmp/OctetBuffer.h"
#include "snmp/SnmpInteger.h"
#include "snmp/SnmpMessage.h"
#include "snmp/SnmpString.h"
#include "snmp/SnmpV3Writer.h"
#include "snmp/UsmUser.h"

namespace {

constexpr char kCommunity[] = "public";
constexpr char kEnterprise[] = "1.3.6.1.4.1.5309.6.1.2.1";
constexpr std::int32_t kTicks = 123456789;
constexpr std::int32_t kEventId = 7036;
const std::string kDescription(500, 'd');

struct EventField {
  const char* oid_text;
  std::vector<oid> oid_arcs;
};
const EventField kFields[] = {
    {"1.3.6.1.4.1.5309.6.1.1.1", {1, 3, 6, 1, 4, 1, 5309, 6, 1, 1, 1}},
    {"1.3.6.1.4.1.5309.6.1.1.2", {1, 3, 6, 1, 4, 1, 5309, 6, 1, 1, 2}},
    {"1.3.6.1.4.1.5309.6.1.1.3", {1, 3, 6, 1, 4, 1, 5309, 6, 1, 1, 3}},
    {"1.3.6.1.4.1.5309.6.1.1.4", {1, 3, 6, 1, 4, 1, 5309, 6, 1, 1, 4}},
    {"1.3.6.1.4.1.5309.6.1.1.5", {1, 3, 6, 1, 4, 1, 5309, 6, 1, 1, 5}},
    {"1.3.6.1.4.1.5309.6.1.1.6", {1, 3, 6, 1, 4, 1, 5309, 6, 1, 1, 6}},
    {"1.3.6.1.4.1.5309.6.1.1.7", {1, 3, 6, 1, 4, 1, 5309, 6, 1, 1, 7}},
};
const char* const kTexts[] = {"Service Control Manager", "KIVO-HOST", "SYSTEM"};

std::unique_ptr<kivo::snmp::SnmpMessage> BuildKivoTrap() {
  auto message = std::make_unique<kivo::snmp::SnmpMessage>();
  message->SetVersion(1);
  message->SetCommunity(kCommunity);
  message->SetPduType(kivo::snmp::kPduTrapV2);
  message->SetRequestId(1733500000);
  message->SetErrorStatus(0);
  message->SetErrorIndex(0);
  message->AddTrapHeader(kTicks, kEnterprise, 6, kEventId);
  auto add = [&message](const char* name, std::unique_ptr<kivo::snmp::SnmpValue> value) {
    message->AddVarBind(std::make_unique<kivo::snmp::SnmpVarBind>(
        std::make_unique<kivo::snmp::SnmpOid>(name), std::move(value)));
  };
  add(kFields[0].oid_text, std::make_unique<kivo::snmp::SnmpInteger>(kEventId));
  add(kFields[1].oid_text, std::make_unique<kivo::snmp::SnmpInteger>(3));
  add(kFields[2].oid_text, std::make_unique<kivo::snmp::SnmpString>(kTexts[0]));
  add(kFields[3].oid_text, std::make_unique<kivo::snmp::SnmpString>(kTexts[1]));
  add(kFields[4].oid_text, std::make_unique<kivo::snmp::SnmpString>(kTexts[2]));
  add(kFields[5].oid_text, std::make_unique<kivo::snmp::SnmpString>(kDescription.c_str()));
  add(kFields[6].oid_text, std::make_unique<kivo::snmp::SnmpInteger>(5));
  return message;
}

std::size_t EncodeKivoTrap(const kivo::snmp::SnmpMessage& message) {
  // As UdpEndpoint::SendMessage encodes it.
  kivo::snmp::MessageBuffer buffer;
  std::uint8_t* cursor = buffer.Allocate(message.EncodedSize());
  message.Encode(cursor);
  benchmark::DoNotOptimize(buffer.data());
  return buffer.size();
}

// The same PDU with net-snmp. With from_text the OIDs are parsed from the
// same dotted texts ours are built from (read_objid), else taken pre-parsed.
netsnmp_pdu* BuildNetSnmpTrap(bool from_text = false) {
  static const oid kSysUpTime[] = {1, 3, 6, 1, 2, 1, 1, 3, 0};
  static const oid kSnmpTrapOid[] = {1, 3, 6, 1, 6, 3, 1, 1, 4, 1, 0};
  static const oid kTrapId[] = {1, 3, 6, 1, 4, 1, 5309, 6, 1, 2, 1, 0, kEventId};
  struct Parsed {
    oid arcs[MAX_OID_LEN];
    size_t length = MAX_OID_LEN;
  };
  Parsed parsed[10];
  if (from_text) {
    const char* texts[] = {"1.3.6.1.2.1.1.3.0", "1.3.6.1.6.3.1.1.4.1.0",
                           "1.3.6.1.4.1.5309.6.1.2.1.0.7036"};
    for (int i = 0; i < 3; ++i) read_objid(texts[i], parsed[i].arcs, &parsed[i].length);
    for (int i = 0; i < 7; ++i) {
      read_objid(kFields[i].oid_text, parsed[3 + i].arcs, &parsed[3 + i].length);
    }
  }
  auto name = [&](int index, const oid* fixed, size_t fixed_length, size_t* length) {
    *length = from_text ? parsed[index].length : fixed_length;
    return from_text ? parsed[index].arcs : fixed;
  };
  size_t length = 0;
  netsnmp_pdu* pdu = snmp_pdu_create(SNMP_MSG_TRAP2);
  pdu->version = SNMP_VERSION_2c;
  pdu->reqid = 1733500000;
  pdu->community = reinterpret_cast<u_char*>(strdup(kCommunity));
  pdu->community_len = sizeof(kCommunity) - 1;
  const u_long ticks = kTicks;
  const oid* up_time = name(0, kSysUpTime, OID_LENGTH(kSysUpTime), &length);
  snmp_pdu_add_variable(pdu, up_time, length, ASN_TIMETICKS, &ticks, sizeof(ticks));
  const oid* trap_oid = name(1, kSnmpTrapOid, OID_LENGTH(kSnmpTrapOid), &length);
  size_t trap_id_length = 0;
  const oid* trap_id = name(2, kTrapId, OID_LENGTH(kTrapId), &trap_id_length);
  snmp_pdu_add_variable(pdu, trap_oid, length, ASN_OBJECT_ID, trap_id,
                        trap_id_length * sizeof(oid));
  const long numbers[] = {kEventId, 3, 5};
  auto add = [&](int field, u_char type, const void* value, size_t value_length) {
    const oid* arcs =
        name(3 + field, kFields[field].oid_arcs.data(), kFields[field].oid_arcs.size(), &length);
    snmp_pdu_add_variable(pdu, arcs, length, type, value, value_length);
  };
  add(0, ASN_INTEGER, &numbers[0], sizeof(long));
  add(1, ASN_INTEGER, &numbers[1], sizeof(long));
  add(2, ASN_OCTET_STR, kTexts[0], std::strlen(kTexts[0]));
  add(3, ASN_OCTET_STR, kTexts[1], std::strlen(kTexts[1]));
  add(4, ASN_OCTET_STR, kTexts[2], std::strlen(kTexts[2]));
  add(5, ASN_OCTET_STR, kDescription.data(), kDescription.size());
  add(6, ASN_INTEGER, &numbers[2], sizeof(long));
  return pdu;
}

netsnmp_session* NetSnmpSession() {
  static netsnmp_session session;
  static bool ready = false;
  if (!ready) {
    snmp_sess_init(&session);
    session.version = SNMP_VERSION_2c;
    session.community = reinterpret_cast<u_char*>(const_cast<char*>(kCommunity));
    session.community_len = sizeof(kCommunity) - 1;
    ready = true;
  }
  return &session;
}

// Octets of the encoded message, 0 when net-snmp refused to encode it.
std::size_t EncodeNetSnmpTrap(netsnmp_pdu* pdu) {
  u_char* packet = nullptr;
  size_t packet_length = 0;
  size_t offset = 0;
  const int result = snmp_build(&packet, &packet_length, &offset, NetSnmpSession(), pdu);
  benchmark::DoNotOptimize(packet);
  std::free(packet);
  return result == 0 ? offset : 0;
}

// The service's work per event: build the trap, encode it, release it.
void KivoBuildAndEncode(benchmark::State& state) {
  std::size_t octets = 0;
  for (auto _ : state) octets = EncodeKivoTrap(*BuildKivoTrap());
  state.counters["octets"] = static_cast<double>(octets);
}

void NetSnmpBuildAndEncode(benchmark::State& state) {
  std::size_t octets = 0;
  for (auto _ : state) {
    netsnmp_pdu* pdu = BuildNetSnmpTrap();
    octets = EncodeNetSnmpTrap(pdu);
    snmp_free_pdu(pdu);
  }
  if (octets == 0) state.SkipWithError("snmp_build failed");
  state.counters["octets"] = static_cast<double>(octets);
}

void NetSnmpBuildFromTextAndEncode(benchmark::State& state) {
  std::size_t octets = 0;
  for (auto _ : state) {
    netsnmp_pdu* pdu = BuildNetSnmpTrap(true);
    octets = EncodeNetSnmpTrap(pdu);
    snmp_free_pdu(pdu);
  }
  if (octets == 0) state.SkipWithError("snmp_build failed");
  state.counters["octets"] = static_cast<double>(octets);
}

// Encoding alone, of a trap built once.
void KivoEncode(benchmark::State& state) {
  const auto message = BuildKivoTrap();
  std::size_t octets = 0;
  for (auto _ : state) octets = EncodeKivoTrap(*message);
  state.counters["octets"] = static_cast<double>(octets);
}

void NetSnmpEncode(benchmark::State& state) {
  netsnmp_pdu* pdu = BuildNetSnmpTrap();
  std::size_t octets = 0;
  for (auto _ : state) octets = EncodeNetSnmpTrap(pdu);
  snmp_free_pdu(pdu);
  if (octets == 0) state.SkipWithError("snmp_build failed");
  state.counters["octets"] = static_cast<double>(octets);
}

constexpr char kPassphrase[] = "kivo-benchmark-passphrase";

// Kivo's SNMPv3 side as the trap stage holds it: the platform's crypto, the
// writer, the engine and the user's keys localized for it, all made once.
struct KivoV3 {
  kivo::platform::PosixCrypto crypto;
  kivo::snmp::SnmpV3Writer writer{crypto};
  kivo::snmp::LocalEngine engine{*kivo::snmp::EngineId::Make(crypto), 1,
                                 kivo::platform::SteadyMilliseconds};
  kivo::snmp::LocalizedUser user = *kivo::snmp::LocalizedUser::Localize(
      crypto,
      std::get<kivo::snmp::UsmUser>(kivo::snmp::UsmUser::Derive(
          crypto, "kivo", kivo::snmp::SecurityLevel::kAuthPriv,
          kivo::platform::HashAlgorithm::kSha256, kPassphrase, kPassphrase)),
      engine.id());
};

void KivoV3AuthPrivBuildAndEncode(benchmark::State& state) {
  KivoV3 v3;
  std::size_t octets = 0;
  for (auto _ : state) {
    const auto message = BuildKivoTrap();
    kivo::snmp::MessageBuffer buffer;
    if (!v3.writer.Write(*message, v3.user, v3.engine.Now(), v3.engine.id(),
                         v3.writer.NextMessageId(), false, &buffer)) {
      state.SkipWithError("the v3 message could not be written");
      break;
    }
    benchmark::DoNotOptimize(buffer.data());
    octets = buffer.size();
  }
  state.counters["octets"] = static_cast<double>(octets);
}

// net-snmp's session for SNMPv3 traps, as its snmptrap sets one up: its own
// engine ID as the authoritative one, the keys from the passphrases
// (generate_Ku), the user made (and the keys localized) by snmp_open. The
// session's UDP socket is never used.
netsnmp_session* NetSnmpV3Session() {
  static netsnmp_session* opened = nullptr;
  if (opened != nullptr) return opened;
  static u_char engine_id[32];
  static char user[] = "kivo";
  netsnmp_session session;
  snmp_sess_init(&session);
  session.version = SNMP_VERSION_3;
  session.peername = const_cast<char*>("udp:127.0.0.1:1");
  session.securityName = user;
  session.securityNameLen = std::strlen(user);
  session.securityLevel = SNMP_SEC_LEVEL_AUTHPRIV;
  session.securityEngineIDLen = snmpv3_get_engineID(engine_id, sizeof(engine_id));
  session.securityEngineID = engine_id;
  session.engineBoots = snmpv3_local_snmpEngineBoots();
  session.engineTime = snmpv3_local_snmpEngineTime();
  session.securityAuthProto = usmHMAC192SHA256AuthProtocol;
  session.securityAuthProtoLen = OID_LENGTH(usmHMAC192SHA256AuthProtocol);
  session.securityPrivProto = usmAESPrivProtocol;
  session.securityPrivProtoLen = OID_LENGTH(usmAESPrivProtocol);
  session.securityAuthKeyLen = USM_AUTH_KU_LEN;
  session.securityPrivKeyLen = USM_PRIV_KU_LEN;
  u_char* passphrase = reinterpret_cast<u_char*>(const_cast<char*>(kPassphrase));
  if (generate_Ku(session.securityAuthProto, session.securityAuthProtoLen, passphrase,
                  std::strlen(kPassphrase), session.securityAuthKey,
                  &session.securityAuthKeyLen) != SNMPERR_SUCCESS ||
      generate_Ku(session.securityAuthProto, session.securityAuthProtoLen, passphrase,
                  std::strlen(kPassphrase), session.securityPrivKey,
                  &session.securityPrivKeyLen) != SNMPERR_SUCCESS) {
    return nullptr;
  }
  opened = snmp_open(&session);
  return opened;
}

void NetSnmpV3AuthPrivBuildAndEncode(benchmark::State& state) {
  netsnmp_session* session = NetSnmpV3Session();
  if (session == nullptr) {
    state.SkipWithError("no net-snmp SNMPv3 session");
    return;
  }
  std::size_t octets = 0;
  for (auto _ : state) {
    netsnmp_pdu* pdu = BuildNetSnmpTrap();
    pdu->version = SNMP_VERSION_3;
    u_char* packet = nullptr;
    size_t packet_length = 0;
    size_t offset = 0;
    const int result = snmp_build(&packet, &packet_length, &offset, session, pdu);
    benchmark::DoNotOptimize(packet);
    std::free(packet);
    snmp_free_pdu(pdu);
    octets = result == 0 ? offset : 0;
  }
  if (octets == 0) state.SkipWithError("snmp_build failed");
  state.counters["octets"] = static_cast<double>(octets);
}

// The floor under both: the cryptography alone that an authPriv message of
// this size needs, with OpenSSL's own CFB-128 mode and its HMAC, keys set
// up once. CFB encrypts block after block, each waiting for the one before.
void LibcryptoCfbAndHmacOnly(benchmark::State& state) {
  const std::vector<std::uint8_t> message(851, 0x5A), key(32, 0x11), iv(16, 0x22);
  std::vector<std::uint8_t> out(message.size());
  kivo::platform::PosixCrypto crypto;
  const auto mac = crypto.Hmac(kivo::platform::HashAlgorithm::kSha256, key.data(), key.size());
  EVP_CIPHER_CTX* cipher = EVP_CIPHER_CTX_new();
  for (auto _ : state) {
    int written = 0;
    EVP_EncryptInit_ex(cipher, EVP_aes_128_cfb128(), nullptr, key.data(), iv.data());
    EVP_EncryptUpdate(cipher, out.data(), &written, message.data(), static_cast<int>(out.size()));
    benchmark::DoNotOptimize(mac->Compute(out.data(), out.size()));
  }
  EVP_CIPHER_CTX_free(cipher);
}

BENCHMARK(KivoBuildAndEncode);
BENCHMARK(NetSnmpBuildAndEncode);
BENCHMARK(NetSnmpBuildFromTextAndEncode);
BENCHMARK(KivoEncode);
BENCHMARK(NetSnmpEncode);
BENCHMARK(KivoV3AuthPrivBuildAndEncode);
BENCHMARK(NetSnmpV3AuthPrivBuildAndEncode);
BENCHMARK(LibcryptoCfbAndHmacOnly);

// Console output as usual, and the per-trap times kept for the ratio.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      // With --benchmark_repetitions the median counts, else the one run.
      const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
      if ((median || run.run_type == Run::RT_Iteration) && run.iterations > 0) {
        const double per_trap =
            run.cpu_accumulated_time * 1e9 / static_cast<double>(run.iterations);
        if (median || medians_.count(run.run_name.function_name) == 0) {
          nanoseconds_[run.run_name.function_name] = per_trap;
        }
        if (median) medians_.insert(run.run_name.function_name);
      }
    }
  }
  std::set<std::string> medians_;
  std::map<std::string, double> nanoseconds_;
};

}  // namespace

int main(int argc, char** argv) {
  setenv("MIBS", "", 1);  // the encoder needs no MIB files
  init_snmp("kivo-bench");
  benchmark::Initialize(&argc, argv);
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  std::printf("\nper trap (CPU time):\n");
  const struct {
    const char* label;
    const char* ours;
    const char* theirs;
  } pairs[] = {
      {"encode only", "KivoEncode", "NetSnmpEncode"},
      {"build+encode, net-snmp OIDs pre-parsed", "KivoBuildAndEncode", "NetSnmpBuildAndEncode"},
      {"build+encode, both OIDs from text", "KivoBuildAndEncode", "NetSnmpBuildFromTextAndEncode"},
      {"SNMPv3 authPriv SHA-256/AES", "KivoV3AuthPrivBuildAndEncode",
       "NetSnmpV3AuthPrivBuildAndEncode"},
  };
  for (const auto& pair : pairs) {
    const double ours = reporter.nanoseconds_[pair.ours];
    const double theirs = reporter.nanoseconds_[pair.theirs];
    if (ours > 0 && theirs > 0) {
      std::printf("  %-40s kivo %6.0f ns   net-snmp %6.0f ns   net-snmp / kivo = %.2fx\n",
                  pair.label, ours, theirs, theirs / ours);
    }
  }
  const double v2c = reporter.nanoseconds_["KivoBuildAndEncode"];
  const double v3 = reporter.nanoseconds_["KivoV3AuthPrivBuildAndEncode"];
  const double floor = reporter.nanoseconds_["LibcryptoCfbAndHmacOnly"];
  if (v2c > 0 && v3 > 0 && floor > 0) {
    std::printf("  %-40s kivo SNMPv3 authPriv / kivo SNMPv2c = %.2fx\n", "SNMPv3 against SNMPv2c",
                v3 / v2c);
    std::printf("  %-40s %6.0f ns of the %6.0f, %.2fx the SNMPv2c trap alone\n",
                "libcrypto's CFB-128 and HMAC alone", floor, v3, floor / v2c);
  }
  benchmark::Shutdown();
  return 0;
}
