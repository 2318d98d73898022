#include "tool/windows/ModalDialog.h"

#include "tool/windows/WindowText.h"

namespace kivo::tool::windows {

namespace {

INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_INITDIALOG) {
    SetWindowLongPtrA(dialog, DWLP_USER, lparam);
    reinterpret_cast<const ModalDialogHandlers*>(lparam)->fill(dialog);
    return TRUE;
  }
  if (message != WM_COMMAND) return FALSE;
  const auto* handlers =
      reinterpret_cast<const ModalDialogHandlers*>(GetWindowLongPtrA(dialog, DWLP_USER));
  const auto own = handlers->buttons.find(LOWORD(wparam));
  if (own != handlers->buttons.end() && HIWORD(wparam) == BN_CLICKED) {
    own->second(dialog);
    return TRUE;
  }
  switch (LOWORD(wparam)) {
    case IDOK: {
      const std::string refusal = handlers->confirm(dialog);
      if (refusal.empty()) {
        if (!handlers->approve || handlers->approve(dialog)) EndDialog(dialog, IDOK);
      } else {
        ShowMessage(dialog, refusal);
        if (handlers->refused) handlers->refused(dialog);
      }
      return TRUE;
    }
    case IDCANCEL:
      EndDialog(dialog, IDCANCEL);
      return TRUE;
    default:
      return FALSE;
  }
}

}  // namespace

bool RunModalDialog(HWND owner, int dialog_id, const ModalDialogHandlers& handlers) {
  return DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(dialog_id), owner, &DialogProc,
                         reinterpret_cast<LPARAM>(&handlers)) == IDOK;
}

}  // namespace kivo::tool::windows
