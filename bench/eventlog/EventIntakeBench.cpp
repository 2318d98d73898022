// Decode time per record, and .evt read throughput on a file of 100,000
// records. Run by hand: build/native/bench/eventlog/event_intake_bench

#include <benchmark/benchmark.h>

#include <filesystem>

#include "config/RegistryConfig.h"
#include "eventlog/RecordDecoder.h"
#include "platform/evtfile/EvtFileEventLog.h"
#include "platform/evtfile/EvtFileWriter.h"
#include "platform/evtfile/TextCodec.h"
#include "platform/fake/FakeMessages.h"
#include "platform/fake/FakeRegistry.h"

namespace {

using namespace kivo;

platform::evt::EventRecordFields Fields() {
  platform::evt::EventRecordFields fields;
  fields.event_id = 1000;
  fields.event_type = 4;
  fields.source = u"BenchSource";
  fields.computer = u"BENCHHOST";
  fields.user_sid = {1, 1, 0, 0, 0, 0, 0, 5, 18, 0, 0, 0};
  fields.strings = {u"C:", u"%%1234", u"a somewhat longer insertion string"};
  return fields;
}

void DecodeRecord(benchmark::State& state) {
  platform::FakeRegistry registry;
  platform::FakeMessages messages;
  config::RegistryConfig(registry, nullptr).SetLogging(0);
  std::unique_ptr<platform::RegistryKey> key;
  registry.Create("SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application\\BenchSource", &key);
  key->SetValue("EventMessageFile", platform::RegType::kExpandText, "a.dll;b.dll", 12);
  key->SetValue("ParameterMessageFile", platform::RegType::kExpandText, "p.dll", 6);
  messages.AddModule("a.dll", {});
  messages.AddModule("b.dll", {{1000, "The disk %1 is %2: %3.\r\n"}});
  messages.AddModule("p.dll", {{1234, "full"}});
  messages.AddAccount({1, 1, 0, 0, 0, 0, 0, 5, 18, 0, 0, 0}, "SYSTEM", "NT AUTHORITY");
  eventlog::RecordDecoder decoder(messages, registry);
  eventlog::DecodedEvent event;
  const auto record = platform::evt::EncodeRecord(Fields(), platform::evt::RecordEncoding::kAnsi);
  for (auto _ : state) {
    decoder.DecodeRecord(0, record.data(), static_cast<std::uint32_t>(record.size()), event);
    benchmark::DoNotOptimize(event.description);
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(DecodeRecord);

void ReadEvtFile(benchmark::State& state) {
  const auto dir = std::filesystem::temp_directory_path() / "kivo-bench-evt";
  std::filesystem::create_directories(dir);
  const std::string path = (dir / "Bench.evt").string();
  const auto records = static_cast<std::uint32_t>(state.range(0));
  platform::evt::EvtFileWriter writer(path);
  writer.Create(64 * 1024 * 1024);
  for (std::uint32_t i = 0; i < records; ++i) {
    std::uint32_t number = 0;
    writer.Append(Fields(), &number);
  }
  platform::FakeRegistry registry;
  platform::FakeMessages messages;
  std::unique_ptr<platform::RegistryKey> key;
  registry.Create("SYSTEM\\CurrentControlSet\\Services\\EventLog\\Bench", &key);
  key->SetValue("File", platform::RegType::kExpandText, path.c_str(),
                static_cast<std::uint32_t>(path.size() + 1));
  std::vector<unsigned char> buffer(8196);
  for (auto _ : state) {
    platform::EvtFileEventLog log(registry, messages);
    const auto handle = log.Open("Bench");
    // As the reader asks: a size probe, then the record.
    for (std::uint32_t n = 1; n <= records; ++n) {
      std::uint32_t read = 0, needed = 0;
      log.Read(handle, 6, n, buffer.data(), 0, &read, &needed);
      if (!log.Read(handle, 6, n, buffer.data(), needed, &read, &needed)) {
        state.SkipWithError("read failed");
        break;
      }
    }
    log.Close(handle);
  }
  state.SetItemsProcessed(state.iterations() * records);
  std::filesystem::remove_all(dir);
}
BENCHMARK(ReadEvtFile)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
