#include "tool/windows/SyslogDestinationWindow.h"

#include <optional>

#include "tool/TextLimits.h"
#include "tool/windows/FilePicker.h"
#include "tool/windows/ModalDialog.h"
#include "tool/windows/Resource.h"
#include "tool/windows/WindowText.h"

namespace kivo::tool::windows {

namespace {

using Dialog = SyslogDestinationDialog;

constexpr int kTlsControls[] = {IDC_SYSLOG_TLS_NAME, IDC_SYSLOG_TLS_CA, IDC_SYSLOG_TLS_CA_BROWSE};

template <std::size_t count>
void FillList(HWND window, int id, const char* const (&items)[count], int chosen) {
  for (const char* item : items) {
    SendDlgItemMessageA(window, id, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
  }
  SendDlgItemMessageA(window, id, CB_SETCURSEL, static_cast<WPARAM>(chosen), 0);
}

int Chosen(HWND window, int id) {
  const LRESULT chosen = SendDlgItemMessageA(window, id, CB_GETCURSEL, 0, 0);
  return chosen == CB_ERR ? Dialog::kNoItem : static_cast<int>(chosen);
}

void EnableTlsControls(HWND window, int protocol) {
  for (const int id : kTlsControls) {
    EnableWindow(GetDlgItem(window, id), Dialog::TlsChosen(protocol) ? TRUE : FALSE);
  }
}

}  // namespace

bool RunSyslogDestinationDialog(HWND owner, SyslogDestinationDialog& dialog) {
  // The protocol the port field was last proposed for.
  int protocol = dialog.initial().protocol;
  ModalDialogHandlers handlers;
  handlers.fill = [&](HWND window) {
    // Longer texts would be stored but could never be read back.
    for (const int id : {IDC_SYSLOG_HOST, IDC_SYSLOG_TLS_NAME, IDC_SYSLOG_TLS_CA}) {
      SendDlgItemMessageA(window, id, EM_LIMITTEXT, kMaxStoredTextLength, 0);
    }
    const Dialog::Fields& fields = dialog.initial();
    SetItemText(window, IDC_SYSLOG_HOST, fields.host);
    SetItemText(window, IDC_SYSLOG_PORT, fields.port_text);
    FillList(window, IDC_SYSLOG_PROTOCOL, SyslogPage::kProtocolCaptions, fields.protocol);
    FillList(window, IDC_SYSLOG_FORMAT, SyslogPage::kFormatCaptions, fields.format);
    SetItemText(window, IDC_SYSLOG_TLS_NAME, fields.tls_name);
    SetItemText(window, IDC_SYSLOG_TLS_CA, fields.tls_ca);
    EnableTlsControls(window, fields.protocol);
    SetItemText(window, IDOK, dialog.confirm_caption());
  };
  handlers.selections[IDC_SYSLOG_PROTOCOL] = [&](HWND window) {
    const int chosen = Chosen(window, IDC_SYSLOG_PROTOCOL);
    SetItemText(
        window, IDC_SYSLOG_PORT,
        Dialog::PortAfterProtocolChange(ItemText(window, IDC_SYSLOG_PORT), protocol, chosen));
    protocol = chosen;
    EnableTlsControls(window, chosen);
  };
  handlers.buttons[IDC_SYSLOG_TLS_CA_BROWSE] = [](HWND window) {
    if (const std::optional<std::string> file = PickFile(
            window,
            "Certificates (*.pem;*.crt;*.cer;*.der)\0*.pem;*.crt;*.cer;*.der\0All Files\0*.*\0",
            "CA certificate", nullptr)) {
      SetItemText(window, IDC_SYSLOG_TLS_CA, *file);
    }
  };
  handlers.confirm = [&](HWND window) {
    return dialog.Confirm({ItemText(window, IDC_SYSLOG_HOST), ItemText(window, IDC_SYSLOG_PORT),
                           Chosen(window, IDC_SYSLOG_PROTOCOL), Chosen(window, IDC_SYSLOG_FORMAT),
                           ItemText(window, IDC_SYSLOG_TLS_NAME),
                           ItemText(window, IDC_SYSLOG_TLS_CA)});
  };
  handlers.refused = [&](HWND window) {
    static constexpr int kFieldIds[] = {IDC_SYSLOG_HOST, IDC_SYSLOG_PORT, IDC_SYSLOG_TLS_NAME,
                                        IDC_SYSLOG_TLS_CA};
    SetFocus(GetDlgItem(window, kFieldIds[static_cast<int>(dialog.refused_field())]));
  };
  return RunModalDialog(owner, IDD_SYSLOG_DESTINATION, handlers);
}

}  // namespace kivo::tool::windows
