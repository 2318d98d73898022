#include "tool/windows/SyslogDestinationWindow.h"

#include "tool/TextLimits.h"
#include "tool/windows/Resource.h"
#include "tool/windows/WindowText.h"

namespace kivo::tool::windows {

namespace {

INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  auto* dialog = reinterpret_cast<SyslogDestinationDialog*>(GetWindowLongPtrA(window, DWLP_USER));
  switch (message) {
    case WM_INITDIALOG:
      SetWindowLongPtrA(window, DWLP_USER, lparam);
      dialog = reinterpret_cast<SyslogDestinationDialog*>(lparam);
      // Longer host texts would be stored but could never be read back.
      SendDlgItemMessageA(window, IDC_SYSLOG_HOST, EM_LIMITTEXT, kMaxStoredTextLength, 0);
      SetItemText(window, IDC_SYSLOG_HOST, dialog->initial_host());
      SetItemText(window, IDC_SYSLOG_PORT, dialog->initial_port_text());
      SetItemText(window, IDOK, dialog->confirm_caption());
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wparam) == IDOK) {
        const std::string refusal =
            dialog->Confirm(ItemText(window, IDC_SYSLOG_HOST), ItemText(window, IDC_SYSLOG_PORT));
        if (!refusal.empty()) {
          ShowMessage(window, refusal);
          SetFocus(GetDlgItem(window, dialog->port_refused() ? IDC_SYSLOG_PORT : IDC_SYSLOG_HOST));
          return TRUE;
        }
        EndDialog(window, IDOK);
        return TRUE;
      }
      if (LOWORD(wparam) == IDCANCEL) {
        EndDialog(window, IDCANCEL);
        return TRUE;
      }
      return FALSE;
    default:
      return FALSE;
  }
}

}  // namespace

bool RunSyslogDestinationDialog(HWND owner, SyslogDestinationDialog& dialog) {
  return DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_SYSLOG_DESTINATION), owner,
                         &DialogProc, reinterpret_cast<LPARAM>(&dialog)) == IDOK;
}

}  // namespace kivo::tool::windows
