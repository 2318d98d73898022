#pragma once

namespace kivo::platform {

// Starts Windows Sockets, asking for version 1.1, once for the whole process.
// The result is not examined (a failure shows in the first socket call) and
// Windows Sockets is never shut down: the process ends with it.
void StartWinsock11();

}  // namespace kivo::platform
