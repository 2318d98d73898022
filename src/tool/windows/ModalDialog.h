#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace kivo::tool::windows {

// What a modal dialog of the tool does: fill its controls when it opens, and
// check them when its confirm button (IDOK) is pressed. A confirm that
// returns a message keeps the dialog open after showing it; `refused` may
// then move the focus. Cancel closes without asking anything.
struct ModalDialogHandlers {
  std::function<void(HWND dialog)> fill;
  std::function<std::string(HWND dialog)> confirm;
  std::function<void(HWND dialog)> refused;
};

// Shows the dialog; true when it was closed by a confirm that was accepted.
bool RunModalDialog(HWND owner, int dialog_id, const ModalDialogHandlers& handlers);

}  // namespace kivo::tool::windows
