#pragma once

#include <windows.h>

#include "platform/Registry.h"

namespace kivo::tool::windows {

// Shows the modal "Advanced SNMP Config" dialog; its OK writes at once.
void RunAdvancedSnmpDialog(HWND owner, platform::Registry& registry);

}  // namespace kivo::tool::windows
