// CPU time of one event's whole way through the service with the 500 ms
// poll pause taken out: fetch and decode from a scripted event log, the
// trace blocks, 5 filters (all passed), the SNMPv1 trap with its agent
// address lookup, and 3 syslog destinations, every datagram sent through
// real sockets to listeners on 127.0.0.1; once with tracing off and once
// with it on. The store is the in-memory registry. With tracing off also
// as SNMPv2c and as SNMPv3 at authPriv (SHA-256, AES, libcrypto; the
// passphrases in the in-memory secrets, read for every event as the
// service does outside burst mode).
//
// ForwardInBurstMode: events per second through the whole run loop with
// "burst" on, one trap and one syslog destination, tracing off: each round
// 1000 records that waited in the System log ("resume" on) are forwarded.
//
//   cmake -S . -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=Release
//   cmake --build build/bench --target kivo_forwarding_bench
//   build/bench/bench/forwarding/kivo_forwarding_bench

#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "config/RegistryConfig.h"
#include "eventlog/EventLogReader.h"
#include "forwarding/EventPipeline.h"
#include "forwarding/ForwardingLoop.h"
#include "platform/fake/FakeEventLog.h"
#include "platform/fake/FakeMessages.h"
#include "platform/fake/FakePause.h"
#include "platform/fake/FakePerfData.h"
#include "platform/fake/FakeRegistry.h"
#include "platform/fake/FakeSecrets.h"
#include "platform/posix/PosixCrypto.h"
#include "platform/posix/PosixSockets.h"
#include "support/EventRecords.h"
#include "support/LoopbackListener.h"
#include "support/TestSupport.h"

namespace {

using namespace kivo;

constexpr int kRecordsKept = 1000;  // older records are dropped from the scripted log

// The trap destination on this machine with every binding included, and
// every event to syslog on each of the ports.
void SetUpStore(config::RegistryConfig& config, std::uint16_t trap_port, std::int32_t strip,
                std::int32_t logging, const std::vector<std::uint16_t>& syslog_ports) {
  config.SetDestination("127.0.0.1");
  config.SetPort(trap_port);
  for (const char* flag : {"iec", "iecn", "ied", "ien", "ies", "iet", "ieu"}) {
    config.WriteNumber(flag, 1);
  }
  config.SetSenderOid("");
  config.SetStripCrlf(strip);
  config.SetLogging(logging);
  config.set_create(true);
  config.Open("Syslog");
  config.SetUseFilters(0);
  config.set_create(false);
  for (std::uint16_t port : syslog_ports) config.AddSyslogHost("127.0.0.1", port);
}

// Scripted event logs and messages, a pause that returns at once, a day's uptime.
struct ScriptedPlatform {
  ScriptedPlatform() {
    for (const char* name : eventlog::kLogNames) event_log.AddLog(name);
    perf_data.set_uptime_seconds(86400);
  }
  platform::FakeEventLog event_log;
  platform::FakeMessages messages;
  platform::FakePause pause;
  platform::FakePerfData perf_data;
};

void ForwardOneEvent(benchmark::State& state) {
  const bool tracing = state.range(0) != 0;
  const auto version = static_cast<std::int32_t>(state.range(1));
  testing::ScopedTempDir dir;
  platform::FakeRegistry registry;
  platform::PosixSockets sockets;
  testing::LoopbackListener trap_listener;
  testing::LoopbackListener syslog_listeners[3];

  config::RegistryConfig config(registry, nullptr);
  SetUpStore(config, trap_listener.Port(), 1, tracing ? 1 : 0,
             {syslog_listeners[0].Port(), syslog_listeners[1].Port(), syslog_listeners[2].Port()});
  config.AddFilter("EventId", "Include", "6005, 6006, 7036");
  config.AddFilter("EventType", "Include", "1,2,3");
  config.AddFilter("EventSource", "Exclude", "Disk,Srv ,Print");
  config.AddFilter("EventUser", "Exclude", "Guest");
  config.AddFilter("EventDescription", "Exclude", "debug,trace");
  config.AddMap(7036);

  ScriptedPlatform scripted;
  platform::FakeEventLog& event_log = scripted.event_log;
  perf::UptimeCounter uptime(scripted.perf_data);
  eventlog::EventLogReader reader(event_log, scripted.messages, scripted.pause, registry);
  forwarding::EventPipeline pipeline(config, uptime, sockets, forwarding::SystemCalendarTime);
  platform::PosixCrypto crypto;
  platform::FakeSecrets secrets;
  secrets.Write(platform::kSecretAuthPassphrase, "kivo-bench-auth");
  secrets.Write(platform::kSecretPrivPassphrase, "kivo-bench-priv");
  pipeline.traps().EnableNotifications({crypto, secrets, registry, nullptr}, 0);
  config.Open("");
  config.SetSnmpVersion(version);
  config.WriteText("v3user", "kivo");
  config.WriteNumber("v3level", 2);
  config.WriteText("v3auth", "SHA-256");
  config.WriteText("v3priv", "AES");

  testing::TestEvent event;
  event.event_id = 7036;
  event.event_type = 4;
  event.source = "Service Control Manager";
  event.computer = "KIVO-HOST";
  event.strings = {"The Print Spooler service entered the running state.\r\n",
                   "It was started by the service control manager on request."};
  const std::vector<unsigned char> record = testing::AnsiRecord(event);

  int appended = 0;
  for (auto _ : state) {
    event_log.Append("System", record);
    if (!reader.FetchNext()) state.SkipWithError("no event fetched");
    forwarding::EventRecord current = forwarding::EventRecord::Current(reader);
    pipeline.Process(current);
    if (++appended == kRecordsKept) {
      state.PauseTiming();
      event_log.DropOldest("System", kRecordsKept);
      std::remove(config::TraceFile::kFileName);
      appended = 0;
      state.ResumeTiming();
    }
  }
  state.SetLabel(std::string(tracing ? "tracing on" : "tracing off") + ", " +
                 (version == 0   ? "SNMPv1"
                  : version == 3 ? "SNMPv3 authPriv"
                                 : "SNMPv2c"));
}

BENCHMARK(ForwardOneEvent)
    ->Args({0, 0})
    ->Args({1, 0})
    ->Args({0, 1})
    ->Args({0, 3})
    ->Unit(benchmark::kMicrosecond);

// Runs the loop for a given number of rounds (in burst mode, one event each).
class CountedHost : public forwarding::LoopHost {
 public:
  mutable int rounds = 0;
  bool IsRunning() const override { return rounds-- > 0; }
  void CountIdleRound() override {}
  perf::UptimeCounter& KeepUptimeCounter(std::unique_ptr<perf::UptimeCounter> counter) override {
    counter_ = std::move(counter);
    return *counter_;
  }
  std::string ServiceKey() const override { return "SYSTEM\\CurrentControlSet\\Services\\kivo"; }
  void ReportServiceEvent(std::uint16_t, std::uint32_t, const std::vector<std::string>&) override {}

 private:
  std::unique_ptr<perf::UptimeCounter> counter_;
};

void ForwardInBurstMode(benchmark::State& state) {
  constexpr int kBatch = 1000;
  platform::FakeRegistry registry;
  platform::PosixSockets sockets;
  testing::LoopbackListener trap_listener, syslog_listener;
  config::RegistryConfig config(registry, nullptr);
  SetUpStore(config, trap_listener.Port(), 0, 0, {syslog_listener.Port()});
  config.Open("");
  config.WriteNumber("burst", 1);
  config.WriteNumber("resume", 1);

  ScriptedPlatform scripted;
  platform::FakeEventLog& event_log = scripted.event_log;
  forwarding::ForwardingLoop loop({registry, event_log, scripted.messages, scripted.pause, sockets,
                                   scripted.perf_data, forwarding::SystemCalendarTime});
  CountedHost host;
  loop.Work(host);  // keeps the positions the batches go on from

  testing::TestEvent event;
  event.event_id = 4624;
  event.event_type = 8;
  event.source = "Security";
  event.strings = {"An account was successfully logged on.", "S-1-5-18", "SYSTEM"};
  const std::vector<unsigned char> record = testing::AnsiRecord(event);
  for (auto _ : state) {
    state.PauseTiming();
    event_log.DropOldest("System", kBatch);
    for (int i = 0; i < kBatch; ++i) event_log.Append("System", record);
    host.rounds = kBatch;
    state.ResumeTiming();
    loop.Work(host);
  }
  state.SetItemsProcessed(state.iterations() * kBatch);
}

BENCHMARK(ForwardInBurstMode)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
