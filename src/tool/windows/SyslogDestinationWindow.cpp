#include "tool/windows/SyslogDestinationWindow.h"

#include "tool/TextLimits.h"
#include "tool/windows/ModalDialog.h"
#include "tool/windows/Resource.h"
#include "tool/windows/WindowText.h"

namespace kivo::tool::windows {

bool RunSyslogDestinationDialog(HWND owner, SyslogDestinationDialog& dialog) {
  ModalDialogHandlers handlers;
  handlers.fill = [&](HWND window) {
    // Longer host texts would be stored but could never be read back.
    SendDlgItemMessageA(window, IDC_SYSLOG_HOST, EM_LIMITTEXT, kMaxStoredTextLength, 0);
    SetItemText(window, IDC_SYSLOG_HOST, dialog.initial_host());
    SetItemText(window, IDC_SYSLOG_PORT, dialog.initial_port_text());
    SetItemText(window, IDOK, dialog.confirm_caption());
  };
  handlers.confirm = [&](HWND window) {
    return dialog.Confirm(ItemText(window, IDC_SYSLOG_HOST), ItemText(window, IDC_SYSLOG_PORT));
  };
  handlers.refused = [&](HWND window) {
    SetFocus(GetDlgItem(window, dialog.port_refused() ? IDC_SYSLOG_PORT : IDC_SYSLOG_HOST));
  };
  return RunModalDialog(owner, IDD_SYSLOG_DESTINATION, handlers);
}

}  // namespace kivo::tool::windows
