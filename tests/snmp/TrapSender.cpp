// Sends the four traps of the peer test to 127.0.0.1 on the port given on
// the command line, built and sent as the service builds and sends them:
// SNMPv1 and SNMPv2c, each once unmapped (specific 1) and once mapped
// (specific = event id), with the seven event bindings, an 8000-character
// description and a negative tick count. Prints the agent address it used,
// found as the service finds it, so that the checker can compare.
//
//   kivo_trap_sender PORT

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "snmp/SnmpInteger.h"
#include "snmp/SnmpMessage.h"
#include "snmp/SnmpString.h"
#include "snmp/UdpEndpoint.h"
#include "support/SystemSockets.h"

namespace {

using namespace kivo;

constexpr char kEnterprise[] = "1.3.6.1.4.1.5309.6.1.2.1";
constexpr char kCommunity[] = "kivo-peer";
constexpr char kFallbackAgent[] = "240.30.20.10";
constexpr std::int32_t kTicks = -105900;
constexpr std::int32_t kEventId = 7036;
constexpr std::int32_t kEventType = 3;
constexpr std::int32_t kCategory = 5;
constexpr std::int32_t kRequestId = 1733500000;

std::string Description() {
  std::string text = "Description start.";
  const char kPattern[] = " The service entered the running state 0123456789.";
  while (text.size() < 8000) text += kPattern;
  text.resize(8000);
  return text;
}

std::string AgentAddress(platform::Sockets& sockets) {
  std::string name;
  platform::Ipv4Address address{};
  if (sockets.LocalHostName(&name) != platform::kSocketOk ||
      sockets.ResolveHostName(name, &address) != platform::kSocketOk) {
    return kFallbackAgent;
  }
  return platform::FormatDotted(address);
}

void AddEventBindings(snmp::SnmpMessage& message) {
  auto add = [&message](const char* oid, std::unique_ptr<snmp::SnmpValue> value) {
    message.AddVarBind(std::make_unique<snmp::SnmpVarBind>(std::make_unique<snmp::SnmpOid>(oid),
                                                           std::move(value)));
  };
  const std::string description = Description();
  add("1.3.6.1.4.1.5309.6.1.1.1", std::make_unique<snmp::SnmpInteger>(kEventId));
  add("1.3.6.1.4.1.5309.6.1.1.2", std::make_unique<snmp::SnmpInteger>(kEventType));
  add("1.3.6.1.4.1.5309.6.1.1.3", std::make_unique<snmp::SnmpString>("Service Control Manager"));
  add("1.3.6.1.4.1.5309.6.1.1.4", std::make_unique<snmp::SnmpString>("KIVO-HOST"));
  add("1.3.6.1.4.1.5309.6.1.1.5", std::make_unique<snmp::SnmpString>("SYSTEM"));
  add("1.3.6.1.4.1.5309.6.1.1.6", std::make_unique<snmp::SnmpString>(description.c_str()));
  add("1.3.6.1.4.1.5309.6.1.1.7", std::make_unique<snmp::SnmpInteger>(kCategory));
}

std::unique_ptr<snmp::SnmpMessage> V1Trap(const std::string& agent, std::int32_t specific) {
  auto message = std::make_unique<snmp::SnmpMessage>();
  message->SetVersion(0);
  message->SetCommunity(kCommunity);
  message->SetPduType(snmp::kPduTrapV1);
  message->SetEnterprise(kEnterprise);
  message->SetAgentAddress(agent);
  message->SetTimeStamp(kTicks);
  message->SetGenericTrap(6);
  message->SetSpecificTrap(specific);
  AddEventBindings(*message);
  return message;
}

std::unique_ptr<snmp::SnmpMessage> V2Trap(std::int32_t specific) {
  auto message = std::make_unique<snmp::SnmpMessage>();
  message->SetVersion(1);
  message->SetCommunity(kCommunity);
  message->SetPduType(snmp::kPduTrapV2);
  message->SetRequestId(kRequestId);
  message->SetErrorIndex(0);
  message->SetErrorStatus(0);
  message->AddTrapHeader(kTicks, kEnterprise, 6, specific);
  AddEventBindings(*message);
  return message;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: kivo_trap_sender PORT\n");
    return 2;
  }
  const int port = std::atoi(argv[1]);
  kivo::testing::SystemSockets sockets;
  if (sockets.Startup() != platform::kSocketOk) {
    std::fprintf(stderr, "socket start-up failed\n");
    return 1;
  }
  const std::string agent = AgentAddress(sockets);
  std::printf("agent %s\n", agent.c_str());

  const std::unique_ptr<snmp::SnmpMessage> traps[] = {V1Trap(agent, 1), V1Trap(agent, kEventId),
                                                      V2Trap(1), V2Trap(kEventId)};
  int failures = 0;
  for (const auto& trap : traps) {
    snmp::UdpEndpoint endpoint(sockets, port, "127.0.0.1");
    const std::int32_t sent = endpoint.SendMessage(*trap);
    std::printf("sent %d of %d bytes, error %d\n", sent, static_cast<int>(trap->EncodedSize()),
                static_cast<int>(endpoint.LastError()));
    if (sent != static_cast<std::int32_t>(trap->EncodedSize())) ++failures;
  }
  std::fflush(stdout);
  return failures == 0 ? 0 : 1;
}
