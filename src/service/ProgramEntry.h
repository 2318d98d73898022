#pragma once

#include "service/ServiceHost.h"

namespace kivo::service {

// The program's life after start-up: the command line, or else the service
// under the manager. Returns the process exit code: the switch's, or the
// status record's Win32 exit code.
int RunProgram(ServiceHost& service, int argc, const char* const argv[]);

}  // namespace kivo::service
