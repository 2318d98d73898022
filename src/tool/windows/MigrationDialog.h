#pragma once

#include <windows.h>

#include "platform/Registry.h"

namespace kivo::tool::windows {

// Imports the settings of a legacy kivo.cfg file into the store, asking the
// user for the file; shown modally when the user accepts the import offer
// at start-up. How it ends is not examined.
void RunMigrationDialog(HWND owner, platform::Registry& registry);

}  // namespace kivo::tool::windows
