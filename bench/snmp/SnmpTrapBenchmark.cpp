// Per-trap cost of building and encoding the service's SNMPv2c trap (nine
// bindings: sysUpTime.0, snmpTrapOID.0 and the seven event bindings, with a
// 500-byte description), with our library and, side by side in the same run,
// with net-snmp's library building and encoding the same PDU. net-snmp is
// given its OIDs pre-parsed (as its programs usually hold them), while ours
// are parsed from dotted text as the service does, so the comparison leans
// towards net-snmp.
//
// Prints both per-trap times and the ratio at the end.

#include <benchmark/benchmark.h>

// net-snmp's headers must come in this order.
#include <net-snmp/net-snmp-config.h>
#include <net-snmp/net-snmp-includes.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "snmp/SnmpInteger.h"
#include "snmp/SnmpMessage.h"
#include "snmp/SnmpString.h"

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
  std::vector<std::uint8_t> buffer(message.EncodedSize(), 0);
  std::uint8_t* cursor = buffer.data();
  message.Encode(cursor);
  benchmark::DoNotOptimize(buffer.data());
  return buffer.size();
}

netsnmp_pdu* BuildNetSnmpTrap() {
  static const oid kSysUpTime[] = {1, 3, 6, 1, 2, 1, 1, 3, 0};
  static const oid kSnmpTrapOid[] = {1, 3, 6, 1, 6, 3, 1, 1, 4, 1, 0};
  static const oid kTrapId[] = {1, 3, 6, 1, 4, 1, 5309, 6, 1, 2, 1, 0, kEventId};
  netsnmp_pdu* pdu = snmp_pdu_create(SNMP_MSG_TRAP2);
  pdu->version = SNMP_VERSION_2c;
  pdu->reqid = 1733500000;
  pdu->community = reinterpret_cast<u_char*>(strdup(kCommunity));
  pdu->community_len = sizeof(kCommunity) - 1;
  const u_long ticks = kTicks;
  snmp_pdu_add_variable(pdu, kSysUpTime, OID_LENGTH(kSysUpTime), ASN_TIMETICKS, &ticks,
                        sizeof(ticks));
  snmp_pdu_add_variable(pdu, kSnmpTrapOid, OID_LENGTH(kSnmpTrapOid), ASN_OBJECT_ID, kTrapId,
                        sizeof(kTrapId));
  const long numbers[] = {kEventId, 3, 5};
  auto add_number = [pdu](const EventField& field, const long* value) {
    snmp_pdu_add_variable(pdu, field.oid_arcs.data(), field.oid_arcs.size(), ASN_INTEGER, value,
                          sizeof(*value));
  };
  auto add_text = [pdu](const EventField& field, const char* text, std::size_t length) {
    snmp_pdu_add_variable(pdu, field.oid_arcs.data(), field.oid_arcs.size(), ASN_OCTET_STR, text,
                          length);
  };
  add_number(kFields[0], &numbers[0]);
  add_number(kFields[1], &numbers[1]);
  add_text(kFields[2], kTexts[0], std::strlen(kTexts[0]));
  add_text(kFields[3], kTexts[1], std::strlen(kTexts[1]));
  add_text(kFields[4], kTexts[2], std::strlen(kTexts[2]));
  add_text(kFields[5], kDescription.data(), kDescription.size());
  add_number(kFields[6], &numbers[2]);
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

BENCHMARK(KivoBuildAndEncode);
BENCHMARK(NetSnmpBuildAndEncode);
BENCHMARK(KivoEncode);
BENCHMARK(NetSnmpEncode);

// Console output as usual, and the per-trap times kept for the ratio.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      if (run.run_type == Run::RT_Iteration && run.iterations > 0) {
        nanoseconds_[run.benchmark_name()] =
            run.cpu_accumulated_time * 1e9 / static_cast<double>(run.iterations);
      }
    }
  }
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
  for (const char* pair : {"BuildAndEncode", "Encode"}) {
    const double ours = reporter.nanoseconds_[std::string("Kivo") + pair];
    const double theirs = reporter.nanoseconds_[std::string("NetSnmp") + pair];
    if (ours > 0 && theirs > 0) {
      std::printf("  %-15s kivo %6.0f ns   net-snmp %6.0f ns   net-snmp / kivo = %.2fx\n", pair,
                  ours, theirs, theirs / ours);
    }
  }
  benchmark::Shutdown();
  return 0;
}
