#pragma once

#include <windows.h>

#include <functional>
#include <map>
#include <string>

namespace kivo::tool::windows {

// What a modal dialog of the tool does: fill its controls when it opens, and
// check them when its confirm button (IDOK) is pressed. A confirm that
// returns a message keeps the dialog open after showing it; `refused` may
// then move the focus. An accepted confirm closes the dialog unless
// `approve` (when set) says no, for example to a question it asks. Cancel
// closes without asking anything. Buttons with
// a handler in `buttons` (the confirm button too, when it does more than
// accept or refuse) run that handler instead and close only through it.
struct ModalDialogHandlers {
  std::function<void(HWND dialog)> fill;
  std::function<std::string(HWND dialog)> confirm;
  std::function<void(HWND dialog)> refused;
  std::function<bool(HWND dialog)> approve;
  std::map<int, std::function<void(HWND dialog)>> buttons;
};

// Shows the dialog; true when it was closed by a confirm that was accepted.
bool RunModalDialog(HWND owner, int dialog_id, const ModalDialogHandlers& handlers);

}  // namespace kivo::tool::windows
