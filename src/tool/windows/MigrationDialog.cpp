#include "tool/windows/MigrationDialog.h"

namespace kivo::tool::windows {

// The import of legacy files arrives separately; until then accepting the
// offer imports nothing.
void RunMigrationDialog(HWND owner) {}

}  // namespace kivo::tool::windows
