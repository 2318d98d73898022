// CPU time of one syslog message for a TCP or TLS destination: an event of
// the Security log (a logon, with a description of 600 characters and a few
// accented letters) formatted as RFC 5424 in UTF-8 and framed with its
// octet count; and today's message framed the same way, for comparison.
// The ANSI text is converted with the Windows-1252 table.
//
//   cmake -S . -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=Release
//   cmake --build build/bench --target kivo_syslog_format_bench
//   build/bench/bench/forwarding/kivo_syslog_format_bench

#include <benchmark/benchmark.h>

#include <string>

#include "forwarding/SyslogFormat.h"
#include "platform/fake/Cp1252Text.h"

namespace {

using namespace kivo;

void FormatAndFrame(benchmark::State& state, forwarding::SyslogFormat format) {
  char source[] = "Microsoft-Windows-Security-Auditing";
  char computer[] = "DC01.corp.example";
  char user[] = "SYSTEM";
  std::string description =
      "An account was successfully logged on.\r\n\r\nSubject:\r\n\tSecurity ID:\t\tSYSTEM\r\n"
      "\tAccount Name:\t\tDC01$\r\n\tAccount Domain:\t\tCORP\r\n\r\nLogon Type:\t\t\t3\r\n\r\n"
      "New Logon:\r\n\tAccount Name:\t\tRen\xE9 M\xFCller\r\n";
  description.resize(600, 'x');
  forwarding::EventRecord event{4624, 4, 12544, source, computer, user, description.data()};
  event.log_name = "Security";
  event.record_number = 123456789;
  event.time_generated = 1700000042;
  platform::Cp1252Text ansi;
  forwarding::SyslogFormatter formatter(ansi);
  std::string message;
  std::string frame;
  for (auto _ : state) {
    formatter.Format(format, event, message);
    forwarding::FrameOctetCounted(message, frame);
    benchmark::DoNotOptimize(frame.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * frame.size()));
}

void Rfc5424(benchmark::State& state) {
  FormatAndFrame(state, forwarding::SyslogFormat::kRfc5424);
}
void Classic(benchmark::State& state) {
  FormatAndFrame(state, forwarding::SyslogFormat::kClassic);
}

BENCHMARK(Rfc5424);
BENCHMARK(Classic);

}  // namespace

BENCHMARK_MAIN();
