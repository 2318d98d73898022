// kivo.exe: the forwarding service's program entry.

#include <iostream>

#include "platform/win32/Win32EventReporter.h"
#include "platform/win32/Win32Registry.h"
#include "platform/win32/Win32ServiceManager.h"
#include "platform/win32/WinsockStartup.h"
#include "service/ForwardingService.h"
#include "service/ProgramEntry.h"

int main(int argc, char* argv[]) {
  using namespace kivo;
  platform::StartWinsock11();

  platform::Win32ServiceManager manager;
  platform::Win32EventReporter events;
  platform::Win32Registry registry;
  const service::ServicePlatform host_platform{manager, events, registry, std::cout};

  // What the service does while it runs. Until the forwarding run loop is
  // wired in here, the service idles and notices a stop within 500 ms.
  service::ForwardingService::WorkFunction work = service::IdleWork(manager);

  service::ForwardingService forwarding_service(host_platform, std::move(work));
  return service::RunProgram(forwarding_service, argc, argv);
}
