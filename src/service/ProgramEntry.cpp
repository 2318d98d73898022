#include "service/ProgramEntry.h"

namespace kivo::service {

int RunProgram(ServiceHost& service, int argc, const char* const argv[]) {
  if (service.ParseCommandLine(argc, argv)) return service.CommandExitCode();
  service.StartDispatcher();
  return static_cast<int>(service.status().win32_exit_code);
}

}  // namespace kivo::service
