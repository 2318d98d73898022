#include "platform/win32eventlog/Win32EventLog.h"

// In a file of its own, so that linking this library for the class alone
// does not bring in a second MakeEventLog.
namespace kivo::platform {

std::unique_ptr<EventLog> MakeEventLog(Registry&, Messages&) {
  return std::make_unique<Win32EventLog>();
}

}  // namespace kivo::platform
