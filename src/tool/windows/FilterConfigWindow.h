#pragma once

#include <windows.h>

#include "tool/FilterConfigDialog.h"

namespace kivo::tool::windows {

// Shows the modal "Filter Configuration" dialog; true when confirmed, with
// the filter in dialog.result().
bool RunFilterConfigDialog(HWND owner, FilterConfigDialog& dialog);

}  // namespace kivo::tool::windows
