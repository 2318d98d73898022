#include "tool/windows/SnmpPageWindow.h"

#include <commctrl.h>

#include "tool/LoggingSwitch.h"
#include "tool/TextLimits.h"
#include "tool/windows/AdvancedSnmpWindow.h"
#include "tool/windows/Resource.h"
#include "tool/windows/WindowText.h"

namespace kivo::tool::windows {

namespace {

// The spin control of the port field.
constexpr int kSpinLowest = 1;
constexpr int kSpinHighest = 32767;
const UDACCEL kSpinAcceleration[] = {{1, 1}, {2, 5}, {5, 10}, {8, 50}};

// The logging switch is one per process, as is the hook that feeds it with
// the messages bound for the SNMP page.
LoggingSwitch g_logging_switch;
HHOOK g_hook = nullptr;
HWND g_watched_page = nullptr;
platform::Registry* g_registry = nullptr;

LoggingSwitch::Message Classify(const MSG& message) {
  if (message.message != WM_KEYDOWN && message.message != WM_SYSKEYDOWN) {
    return LoggingSwitch::Message::kOther;
  }
  if (message.wParam == VK_CONTROL) return LoggingSwitch::Message::kCtrlKeyDown;
  if (message.wParam == VK_F5) return LoggingSwitch::Message::kF5KeyDown;
  return LoggingSwitch::Message::kOtherKeyDown;
}

}  // namespace

SnmpPageWindow::SnmpPageWindow(platform::Registry& registry)
    : PageWindow(IDD_SNMP, "SNMP"), registry_(registry), page_(registry) {}

void SnmpPageWindow::OnCreate() {
  loading_ = true;
  for (const char* name : CfgSnmp::kVersionNames) {
    SendDlgItemMessageA(hwnd(), IDC_SNMP_VERSION, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
  }
  for (int id : {IDC_DESTINATION, IDC_PORT, IDC_COMMUNITY}) {
    SendDlgItemMessageA(hwnd(), id, EM_LIMITTEXT, kMaxStoredTextLength, 0);
  }
  page_.Load();
  const SnmpSettings& settings = page_.settings();
  SetItemText(hwnd(), IDC_COMMUNITY, settings.community);
  SetItemText(hwnd(), IDC_DESTINATION, settings.destination);
  SetItemText(hwnd(), IDC_PORT, settings.port_text);
  // The list is sorted, and its entries are in index order already.
  SendDlgItemMessageA(hwnd(), IDC_SNMP_VERSION, CB_SETCURSEL,
                      static_cast<WPARAM>(settings.version_index), 0);
  SendDlgItemMessageA(hwnd(), IDC_PORT_SPIN, UDM_SETRANGE32, kSpinLowest, kSpinHighest);
  SendDlgItemMessageA(hwnd(), IDC_PORT_SPIN, UDM_SETACCEL,
                      sizeof(kSpinAcceleration) / sizeof(kSpinAcceleration[0]),
                      reinterpret_cast<LPARAM>(kSpinAcceleration));
  loading_ = false;

  g_registry = &registry_;
  g_watched_page = hwnd();
  g_hook = SetWindowsHookExA(WH_GETMESSAGE, &SnmpPageWindow::WatchMessages, nullptr,
                             GetCurrentThreadId());
}

void SnmpPageWindow::OnDestroy() {
  if (g_hook != nullptr) UnhookWindowsHookEx(g_hook);
  g_hook = nullptr;
  g_watched_page = nullptr;
}

LRESULT CALLBACK SnmpPageWindow::WatchMessages(int code, WPARAM wparam, LPARAM lparam) {
  // Only messages taken off the queue count; a peek that leaves one there
  // would otherwise be seen twice.
  if (code == HC_ACTION && wparam == PM_REMOVE && g_watched_page != nullptr) {
    const MSG& message = *reinterpret_cast<const MSG*>(lparam);
    if (message.hwnd == g_watched_page || IsChild(g_watched_page, message.hwnd)) {
      if (g_logging_switch.Inspect(Classify(message))) {
        std::string shown;
        const platform::RegStatus error = LoggingSwitch::Toggle(*g_registry, &shown);
        ShowMessage(GetParent(g_watched_page), error ? SaveMessage({"", error}) : shown);
      }
    }
  }
  return CallNextHookEx(g_hook, code, wparam, lparam);
}

void SnmpPageWindow::OnCommand(int id, int code) {
  if (loading_) return;
  if ((id == IDC_DESTINATION || id == IDC_PORT || id == IDC_COMMUNITY) && code == EN_CHANGE) {
    MarkModified();
  } else if (id == IDC_SNMP_VERSION && code == CBN_SELCHANGE) {
    MarkModified();
  } else if (id == IDC_ADVANCED && code == BN_CLICKED) {
    RunAdvancedSnmpDialog(hwnd(), registry_);
  }
}

bool SnmpPageWindow::OnNotify(NMHDR* header) {
  if (header->idFrom == IDC_PORT_SPIN && header->code == UDN_DELTAPOS) {
    MarkModified();
    SetWindowLongPtrA(hwnd(), DWLP_MSGRESULT, FALSE);  // let the spin move
    return true;
  }
  return false;
}

void SnmpPageWindow::TakeControlContents() {
  SnmpSettings& settings = page_.settings();
  settings.community = ItemText(hwnd(), IDC_COMMUNITY);
  settings.destination = ItemText(hwnd(), IDC_DESTINATION);
  settings.port_text = ItemText(hwnd(), IDC_PORT);
}

bool SnmpPageWindow::Save() {
  // The version is taken from the list itself at the moment of saving.
  const auto selected = SendDlgItemMessageA(hwnd(), IDC_SNMP_VERSION, CB_GETCURSEL, 0, 0);
  page_.settings().version_index =
      selected == CB_ERR ? SnmpSettings::kNoVersion : static_cast<int>(selected);
  return ReportSave(hwnd(), page_.Save());
}

}  // namespace kivo::tool::windows
