// Runs four events through the real run loop and its stages, from scripted
// event logs to 127.0.0.1 on the port given on the command line, for the
// snmptrapd peer test: the configuration asks for SNMPv1 and then SNMPv2c,
// each once with the event unmapped (specific code 1) and once mapped
// (specific code = event id). The event carries the seven fields the peer
// test checks, an 8000-character description among them, and the uptime
// counter is one that could not be set up (-105900 ticks). Prints the agent
// address the trap stage uses first, as the peer test expects.
//
//   kivo_forwarding_driver PORT

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "config/RegistryConfig.h"
#include "forwarding/AgentAddress.h"
#include "forwarding/ForwardingLoop.h"
#include "forwarding/ScriptedHost.h"
#include "platform/fake/FakeEventLog.h"
#include "platform/fake/FakeMessages.h"
#include "platform/fake/FakePause.h"
#include "platform/fake/FakePerfData.h"
#include "platform/fake/FakeRegistry.h"
#include "support/EventRecords.h"
#include "support/SystemSockets.h"

namespace {

using namespace kivo;

constexpr std::uint32_t kEventId = 7036;

std::string Description() {
  std::string text = "Description start.";
  const char kPattern[] = " The service entered the running state 0123456789.";
  while (text.size() < 8000) text += kPattern;
  text.resize(8000);
  return text;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: kivo_forwarding_driver PORT\n");
    return 2;
  }
  testing::SystemSockets sockets;
  if (sockets.Startup() != platform::kSocketOk) {
    std::fprintf(stderr, "socket start-up failed\n");
    return 1;
  }
  std::printf("agent %s\n", forwarding::AgentAddress::Find(sockets).c_str());

  platform::FakeRegistry registry;
  config::RegistryConfig config(registry, nullptr);
  config.SetDestination("127.0.0.1");
  config.SetPort(std::atoi(argv[1]));
  config.SetCommunity("kivo-peer");

  platform::FakeEventLog event_log;
  for (const char* name : {"Application", "Security", "System"}) event_log.AddLog(name);
  platform::FakeMessages messages;
  const std::vector<unsigned char> system_sid = testing::MakeSid(5, {18});
  messages.AddAccount(system_sid, "SYSTEM", "NT AUTHORITY");
  platform::FakePause pause;
  platform::FakePerfData perf_data;
  perf_data.set_open_status(platform::kPdhInvalidHandle);

  testing::TestEvent event;
  event.event_id = kEventId;
  event.event_type = 4;  // information
  event.category = 5;
  event.source = "Service Control Manager";
  event.computer = "KIVO-HOST";
  event.user_sid = system_sid;
  event.strings = {Description()};
  const std::vector<unsigned char> record = testing::AnsiRecord(event);

  std::vector<std::function<void()>> rounds;
  for (std::int32_t version : {0, 1}) {
    for (bool mapped : {false, true}) {
      rounds.push_back([&, version, mapped] {
        config.Open("");
        config.SetSnmpVersion(version);
        config.ClearMaps();
        if (mapped) config.AddMap(kEventId);
        event_log.Append("System", record);
      });
    }
  }
  testing::ScriptedHost host(rounds);  // one configuration change and one event per round
  forwarding::ForwardingLoop loop({registry, event_log, messages, pause, sockets, perf_data});
  loop.Work(host);
  std::printf("forwarded %d events\n", static_cast<int>(rounds.size()));
  std::fflush(stdout);
  return 0;
}
