// kivo.exe and kivo-evtfile.exe: the forwarding service's program entry. The
// two programs differ only in the event log library they link, which defines
// platform::MakeEventLog.

#include <iostream>
#include <memory>

#include "forwarding/ForwardingLoop.h"
#include "platform/EventLog.h"
#include "platform/win32/Win32AnsiText.h"
#include "platform/win32/Win32Crypto.h"
#include "platform/win32/Win32EventReporter.h"
#include "platform/win32/Win32Messages.h"
#include "platform/win32/Win32Pause.h"
#include "platform/win32/Win32PerfData.h"
#include "platform/win32/Win32Registry.h"
#include "platform/win32/Win32Secrets.h"
#include "platform/win32/Win32ServiceManager.h"
#include "platform/win32/Win32Sockets.h"
#include "platform/win32/Win32Streams.h"
#include "service/ForwardingService.h"
#include "service/PassphraseCommand.h"
#include "service/ProgramEntry.h"
#include "service/StatusCommand.h"

int main(int argc, char* argv[]) {
  using namespace kivo;
  // Windows Sockets 1.1 first, for the whole process; its result is not
  // examined (a failure shows in the first socket call).
  platform::Win32Sockets sockets;
  sockets.Startup();

  platform::Win32ServiceManager manager;
  platform::Win32EventReporter events;
  platform::Win32Registry registry;

  // The platform of the run loop. Everything here lives until the process
  // ends, so it outlives the loop and the uptime counter the service keeps.
  platform::Win32Messages messages;
  std::unique_ptr<platform::EventLog> event_log = platform::MakeEventLog(registry, messages);
  service::StatusCommand status(registry, *event_log);
  platform::Win32Secrets secrets(config::names::kSecretsPath);
  const service::ServicePlatform host_platform{
      manager,
      events,
      registry,
      std::cout,
      [&status](std::ostream& out) { status.Print(out, forwarding::SystemCalendarTime()); },
      [&secrets](const std::string& name, std::ostream& out) {
        return service::StorePassphrase(secrets, name, std::cin, out);
      }};
  platform::Win32Pause pause;
  platform::Win32PerfData perf_data;
  platform::Win32Streams streams;
  platform::Win32AnsiText ansi;
  platform::Win32Crypto crypto;
  forwarding::ForwardingLoop loop(
      forwarding::LoopPlatform{registry, *event_log, messages, pause, sockets, perf_data,
                               forwarding::SystemCalendarTime, &streams, &ansi, &crypto, &secrets});

  service::ForwardingService forwarding_service(
      host_platform, [&loop](forwarding::LoopHost& host) { loop.Work(host); });
  return service::RunProgram(forwarding_service, argc, argv);
}
