// Feeds arbitrary bytes to what parses outside data in event intake. The
// first byte chooses the target: even, the rest is one record as the event
// log returns it, fetched and decoded by the reader; odd, the rest is an .evt file, read
// record by record by the .evt-file event log and then appended to.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "config/RegistryConfig.h"
#include "eventlog/EventLogReader.h"
#include "platform/evtfile/EvtFileEventLog.h"
#include "platform/evtfile/EvtFileWriter.h"
#include "platform/fake/FakeEventLog.h"
#include "platform/fake/FakeMessages.h"
#include "platform/fake/FakePause.h"
#include "platform/fake/FakeRegistry.h"

namespace {

using namespace kivo;

struct Platform {
  Platform() {
    config::RegistryConfig config(registry, nullptr);
    config.SetLogging(0);
    for (const char* log : eventlog::kLogNames) event_log.AddLog(log);
    messages.AddModule("m.dll", {{1000, "text %1 %2 %3 %99\r\n"}, {7, "p %1"}});
    std::unique_ptr<platform::RegistryKey> key;
    const std::string sources = "SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application\\";
    for (const char* source : {"A", "B"}) {
      registry.Create(sources + source, &key);
      key->SetValue("EventMessageFile", platform::RegType::kExpandText, "m.dll;x;m.dll", 14);
      key->SetValue("ParameterMessageFile", platform::RegType::kText, "m.dll", 6);
    }
    registry.Create("SYSTEM\\CurrentControlSet\\Services\\EventLog\\Fuzz", &key);
    key->SetValue("File", platform::RegType::kExpandText, file.c_str(),
                  static_cast<std::uint32_t>(file.size() + 1));
    // Only now, with every log in place, so that the reader opens them all.
    reader = std::make_unique<eventlog::EventLogReader>(event_log, messages, pause, registry);
  }
  ~Platform() { std::remove(file.c_str()); }

  // The input file, in the temporary folder under a name of this process's own.
  const std::string file =
      (std::filesystem::temp_directory_path() /
       ("kivo-fuzz-" + std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()) +
        ".evt"))
          .string();

  platform::FakeRegistry registry;
  platform::FakeMessages messages;
  platform::FakeEventLog event_log;
  platform::FakePause pause;
  std::unique_ptr<eventlog::EventLogReader> reader;
};

void DecodeRecord(Platform& p, const std::uint8_t* data, std::size_t size) {
  p.event_log.Append("Application", std::vector<unsigned char>(data, data + size));
  if (!p.reader->FetchNext() && size <= eventlog::RecordBuffer::kMaxSize) {
    std::abort();  // a record the platform can read must always be read and decoded
  }
  p.event_log.DropOldest("Application", 1);
}

void ReadEvtFile(Platform& p, const std::uint8_t* data, std::size_t size) {
  if (std::FILE* file = std::fopen(p.file.c_str(), "wb")) {
    std::fwrite(data, 1, size, file);
    std::fclose(file);
  }
  platform::EvtFileEventLog log(p.registry, p.messages);
  const platform::EventLogHandle handle = log.Open("Fuzz");
  std::uint32_t count = 0, oldest = 0;
  if (handle == platform::kNoEventLog || !log.CountRecords(handle, &count) ||
      !log.OldestRecord(handle, &oldest)) {
    return;
  }
  std::vector<unsigned char> buffer(0x10000);
  for (std::uint32_t n = oldest; n - oldest < count && n - oldest < 64; ++n) {
    std::uint32_t read = 0, needed = 0;
    if (!log.Read(handle, 6, n, buffer.data(), static_cast<std::uint32_t>(buffer.size()), &read,
                  &needed)) {
      break;
    }
  }
  log.Close(handle);
  platform::evt::EventRecordFields fields;
  fields.source = u"Fuzz";
  fields.strings = {u"x"};
  std::uint32_t number = 0;
  platform::evt::EvtFileWriter(p.file).Append(fields, &number);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static Platform platform;
  if (size == 0) return 0;
  if (data[0] % 2 == 0) {
    DecodeRecord(platform, data + 1, size - 1);
  } else {
    ReadEvtFile(platform, data + 1, size - 1);
  }
  return 0;
}
