#pragma once

#include <windows.h>

#include "tool/SyslogDestinationDialog.h"

namespace kivo::tool::windows {

// Shows the modal "Add Syslog Destination" dialog; true when confirmed, with
// the destination in dialog.result().
bool RunSyslogDestinationDialog(HWND owner, SyslogDestinationDialog& dialog);

}  // namespace kivo::tool::windows
