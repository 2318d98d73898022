// Sends SNMPv3 traps and two informs through the snmp library to 127.0.0.1
// on the port given, for the snmptrapd peer test (snmpv3_peer_test.py),
// with the system's cryptography (libcrypto natively, BCrypt under Wine):
//   - traps as Kivo's engine (the engine ID given), authPriv SHA-256/AES
//     ("kivo256"), authNoPriv SHA ("kivo1"), authPriv SHA-512/AES
//     ("kivo512"), and one with a passphrase the receiver does not have
//     ("kivowrong");
//   - an SNMPv2c inform (community "kivo-peer") and an SNMPv3 inform
//     ("kivo256", authPriv) to the receiver as the authoritative engine.
// Each carries its label in its one event binding. Prints one line per
// inform: "inform LABEL: REASON, N datagrams".
//
//   snmpv3_peer_driver PORT ENGINE-ID-HEX

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <variant>

#include "snmp/EngineId.h"
#include "snmp/InformExchange.h"
#include "snmp/LocalEngine.h"
#include "snmp/SnmpString.h"
#include "snmp/SnmpV3Writer.h"
#include "snmp/UdpEndpoint.h"
#include "support/HexText.h"
#include "support/SystemCrypto.h"
#include "support/SystemSockets.h"

namespace {

using namespace kivo;
using platform::HashAlgorithm;
using snmp::SecurityLevel;

constexpr char kEnterprise[] = "1.3.6.1.4.1.5309.6.1.2.1";
constexpr char kDescriptionOid[] = "1.3.6.1.4.1.5309.6.1.1.6";

// The trap stage's SNMPv2c composition, cut to one event binding.
std::unique_ptr<snmp::SnmpMessage> Compose(std::int32_t type, const std::string& label) {
  auto message = std::make_unique<snmp::SnmpMessage>();
  message->SetVersion(1);
  message->SetCommunity("kivo-peer");
  message->SetPduType(type);
  message->SetRequestId(1);
  message->SetErrorStatus(0);
  message->SetErrorIndex(0);
  message->AddTrapHeader(4200, kEnterprise, 6, 7036);
  message->AddVarBind(
      std::make_unique<snmp::SnmpVarBind>(std::make_unique<snmp::SnmpOid>(kDescriptionOid),
                                          std::make_unique<snmp::SnmpString>("event " + label)));
  return message;
}

struct Sender {
  const char* user;
  SecurityLevel level;
  HashAlgorithm auth;
  const char* passphrase;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: snmpv3_peer_driver PORT ENGINE-ID-HEX\n");
    return 2;
  }
  const int port = std::atoi(argv[1]);
  const std::vector<std::uint8_t> engine_octets = testing::FromHex(argv[2]);
  const auto engine_id = snmp::EngineId::FromOctets(engine_octets.data(), engine_octets.size());
  testing::SystemSockets sockets;
  testing::SystemCrypto crypto;
  if (!engine_id || sockets.Startup() != platform::kSocketOk) {
    std::fprintf(stderr, "bad engine ID or no sockets\n");
    return 2;
  }
  snmp::SnmpV3Writer writer(crypto);
  snmp::LocalEngine engine(*engine_id, 1, platform::SteadyMilliseconds);
  const Sender senders[] = {
      {"kivo256", SecurityLevel::kAuthPriv, HashAlgorithm::kSha256, "kivo-256-passphrase"},
      {"kivo1", SecurityLevel::kAuthNoPriv, HashAlgorithm::kSha1, "kivo-1-passphrase"},
      {"kivo512", SecurityLevel::kAuthPriv, HashAlgorithm::kSha512, "kivo-512-passphrase"},
      {"kivowrong", SecurityLevel::kAuthPriv, HashAlgorithm::kSha256, "not-the-passphrase"},
  };
  std::unique_ptr<snmp::UsmUser> inform_user;
  for (const Sender& sender : senders) {
    auto user = snmp::UsmUser::Derive(crypto, sender.user, sender.level, sender.auth,
                                      sender.passphrase, sender.passphrase);
    if (!std::holds_alternative<snmp::UsmUser>(user)) {
      std::fprintf(stderr, "%s: %s\n", sender.user, std::get<std::string>(user).c_str());
      return 1;
    }
    const auto localized =
        snmp::LocalizedUser::Localize(crypto, std::get<snmp::UsmUser>(user), *engine_id);
    snmp::MessageBuffer datagram;
    if (!localized ||
        !writer.Write(*Compose(snmp::kPduTrapV2, sender.user), *localized, engine.Now(),
                      engine.id(), writer.NextMessageId(), false, &datagram)) {
      std::fprintf(stderr, "%s: the trap cannot be written\n", sender.user);
      return 1;
    }
    snmp::UdpEndpoint endpoint(sockets, port, "127.0.0.1");
    endpoint.SendBytes(datagram.data(), static_cast<std::int32_t>(datagram.size()));
    if (!inform_user) inform_user = std::make_unique<snmp::UsmUser>(std::get<snmp::UsmUser>(user));
  }

  snmp::InformExchange exchange(sockets, crypto, writer, platform::SteadyMilliseconds);
  auto v2c = Compose(snmp::kPduInformRequest, "inform-v2c");
  const snmp::InformResult v2c_result = exchange.SendV2c(*v2c, "127.0.0.1", port, nullptr);
  std::printf("inform v2c: %s, %d datagrams\n", v2c_result.Reason().c_str(), v2c_result.datagrams);
  auto v3 = Compose(snmp::kPduInformRequest, "inform-v3");
  const snmp::InformResult v3_result =
      exchange.SendV3(*v3, *inform_user, *engine_id, "127.0.0.1", port, nullptr);
  std::printf("inform v3: %s, %d datagrams\n", v3_result.Reason().c_str(), v3_result.datagrams);
  return 0;
}
