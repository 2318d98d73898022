// CPU time of one event's whole way through the service with the 500 ms
// poll pause taken out: fetch and decode from a scripted event log, the
// trace blocks, 5 filters (all passed), the SNMPv1 trap with its agent
// address lookup, and 3 syslog destinations, every datagram sent through
// real sockets to listeners on 127.0.0.1; once with tracing off and once
// with it on. The store is the in-memory registry.
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
#include "platform/posix/PosixSockets.h"
#include "support/EventRecords.h"
#include "support/LoopbackListener.h"
#include "support/TestSupport.h"

namespace {

using namespace kivo;

constexpr int kRecordsKept = 1000;  // older records are dropped from the scripted log

void ForwardOneEvent(benchmark::State& state) {
  const bool tracing = state.range(0) != 0;
  testing::ScopedTempDir dir;
  platform::FakeRegistry registry;
  platform::PosixSockets sockets;
  testing::LoopbackListener trap_listener;
  testing::LoopbackListener syslog_listeners[3];

  config::RegistryConfig config(registry, nullptr);
  config.SetDestination("127.0.0.1");
  config.SetPort(trap_listener.Port());
  for (const char* flag : {"iec", "iecn", "ied", "ien", "ies", "iet", "ieu"}) {
    config.WriteNumber(flag, 1);
  }
  config.SetSenderOid("");
  config.SetStripCrlf(1);
  config.SetLogging(tracing ? 1 : 0);
  config.AddFilter("EventId", "Include", "6005, 6006, 7036");
  config.AddFilter("EventType", "Include", "1,2,3");
  config.AddFilter("EventSource", "Exclude", "Disk,Srv ,Print");
  config.AddFilter("EventUser", "Exclude", "Guest");
  config.AddFilter("EventDescription", "Exclude", "debug,trace");
  config.AddMap(7036);
  config.set_create(true);
  config.Open("Syslog");
  config.SetUseFilters(0);
  config.set_create(false);
  for (auto& listener : syslog_listeners) config.AddSyslogHost("127.0.0.1", listener.Port());

  platform::FakeEventLog event_log;
  for (const char* name : eventlog::kLogNames) event_log.AddLog(name);
  platform::FakeMessages messages;
  platform::FakePause pause;
  platform::FakePerfData perf_data;
  perf_data.set_uptime_seconds(86400);
  perf::UptimeCounter uptime(perf_data);
  eventlog::EventLogReader reader(event_log, messages, pause, registry);
  forwarding::EventPipeline pipeline(config, uptime, sockets, forwarding::SystemCalendarTime);

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
  state.SetLabel(tracing ? "tracing on" : "tracing off");
}

BENCHMARK(ForwardOneEvent)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

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

 private:
  std::unique_ptr<perf::UptimeCounter> counter_;
};

void ForwardInBurstMode(benchmark::State& state) {
  constexpr int kBatch = 1000;
  platform::FakeRegistry registry;
  platform::PosixSockets sockets;
  testing::LoopbackListener trap_listener, syslog_listener;
  config::RegistryConfig config(registry, nullptr);
  config.SetDestination("127.0.0.1");
  config.SetPort(trap_listener.Port());
  for (const char* flag : {"iec", "iecn", "ied", "ien", "ies", "iet", "ieu", "burst", "resume"}) {
    config.WriteNumber(flag, 1);
  }
  config.SetSenderOid("");
  config.SetStripCrlf(0);
  config.SetLogging(0);
  config.set_create(true);
  config.Open("Syslog");
  config.SetUseFilters(0);
  config.set_create(false);
  config.AddSyslogHost("127.0.0.1", syslog_listener.Port());

  platform::FakeEventLog event_log;
  for (const char* name : eventlog::kLogNames) event_log.AddLog(name);
  platform::FakeMessages messages;
  platform::FakePause pause;
  platform::FakePerfData perf_data;
  perf_data.set_uptime_seconds(86400);
  forwarding::ForwardingLoop loop(
      {registry, event_log, messages, pause, sockets, perf_data, forwarding::SystemCalendarTime});
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
