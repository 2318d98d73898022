#include "tool/windows/SnmpPageWindow.h"

#include <commctrl.h>

#include <iterator>

#include "snmp/UsmKeys.h"
#include "snmp/UsmUser.h"
#include "tool/LoggingSwitch.h"
#include "tool/TextLimits.h"
#include "tool/windows/AdvancedSnmpWindow.h"
#include "tool/windows/Resource.h"
#include "tool/windows/WindowText.h"

namespace kivo::tool::windows {

namespace {

// What a passphrase field holds while the stored passphrase is not
// replaced: stars of its own length, never the passphrase.
constexpr char kStoredPassphrase[] = "********";

// The rows only SNMPv3 has, and the community's, which it hides.
constexpr int kV3Rows[] = {IDC_V3_USER_LABEL, IDC_V3_USER,         IDC_V3_LEVEL_LABEL,
                           IDC_V3_LEVEL,      IDC_V3_AUTH_LABEL,   IDC_V3_AUTH,
                           IDC_V3_AUTH_PASS,  IDC_V3_PRIV_LABEL,   IDC_V3_PRIV,
                           IDC_V3_PRIV_PASS,  IDC_V3_ENGINE_LABEL, IDC_V3_ENGINE_ID};
constexpr int kCommunityRow[] = {IDC_COMMUNITY_LABEL, IDC_COMMUNITY};

void AddEntries(HWND dialog, int id, const char* const* names, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) {
    SendDlgItemMessageA(dialog, id, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(names[i]));
  }
}

// The entry of a drop-down list with the text; -1 (none) when it has none.
void Select(HWND dialog, int id, const std::string& text) {
  const auto found = SendDlgItemMessageA(dialog, id, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                         reinterpret_cast<LPARAM>(text.c_str()));
  SendDlgItemMessageA(dialog, id, CB_SETCURSEL, found == CB_ERR ? static_cast<WPARAM>(-1) : found,
                      0);
}

// The text of the chosen entry; `otherwise` when none is chosen.
std::string Selected(HWND dialog, int id, const std::string& otherwise) {
  const auto chosen = SendDlgItemMessageA(dialog, id, CB_GETCURSEL, 0, 0);
  if (chosen == CB_ERR) return otherwise;
  char text[64] = "";
  SendDlgItemMessageA(dialog, id, CB_GETLBTEXT, static_cast<WPARAM>(chosen),
                      reinterpret_cast<LPARAM>(text));
  return text;
}

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

SnmpPageWindow::SnmpPageWindow(platform::Registry& registry, platform::Secrets& secrets,
                               platform::Crypto& crypto)
    : PageWindow(IDD_SNMP, "SNMP"), registry_(registry), page_(registry, secrets, crypto) {}

void SnmpPageWindow::OnCreate() {
  loading_ = true;
  // The version list is sorted, and its entries are in index order already.
  AddEntries(hwnd(), IDC_SNMP_VERSION, CfgSnmp::kVersionNames, CfgSnmp::kVersionCount);
  AddEntries(hwnd(), IDC_V3_LEVEL, CfgSnmp::kLevelNames, std::size(CfgSnmp::kLevelNames));
  for (const std::string& name : page_.auth_protocols()) {
    SendDlgItemMessageA(hwnd(), IDC_V3_AUTH, CB_ADDSTRING, 0,
                        reinterpret_cast<LPARAM>(name.c_str()));
  }
  AddEntries(hwnd(), IDC_V3_PRIV, CfgSnmp::kPrivProtocols, std::size(CfgSnmp::kPrivProtocols));
  for (int id : {IDC_DESTINATION, IDC_PORT, IDC_COMMUNITY}) {
    SendDlgItemMessageA(hwnd(), id, EM_LIMITTEXT, kMaxStoredTextLength, 0);
  }
  SendDlgItemMessageA(hwnd(), IDC_V3_USER, EM_LIMITTEXT, snmp::kMaxUserNameLength, 0);
  for (int id : {IDC_V3_AUTH_PASS, IDC_V3_PRIV_PASS}) {
    SendDlgItemMessageA(hwnd(), id, EM_LIMITTEXT, snmp::kMaxPassphraseLength, 0);
  }
  page_.Load();
  const SnmpSettings& settings = page_.settings();
  SetItemText(hwnd(), IDC_COMMUNITY, settings.community);
  SetItemText(hwnd(), IDC_DESTINATION, settings.destination);
  SetItemText(hwnd(), IDC_PORT, settings.port_text);
  SendDlgItemMessageA(hwnd(), IDC_SNMP_VERSION, CB_SETCURSEL,
                      static_cast<WPARAM>(settings.version_index), 0);
  SetItemText(hwnd(), IDC_V3_USER, settings.user);
  SendDlgItemMessageA(hwnd(), IDC_V3_LEVEL, CB_SETCURSEL, static_cast<WPARAM>(settings.level), 0);
  Select(hwnd(), IDC_V3_AUTH, settings.auth);
  Select(hwnd(), IDC_V3_PRIV, settings.priv);
  ShowPassphrase(IDC_V3_AUTH_PASS, settings.auth_passphrase);
  ShowPassphrase(IDC_V3_PRIV_PASS, settings.priv_passphrase);
  CheckDlgButton(hwnd(), IDC_INFORM, settings.inform ? BST_CHECKED : BST_UNCHECKED);
  ShowVersionRows();
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

int SnmpPageWindow::SelectedVersion() const {
  const auto selected = SendDlgItemMessageA(hwnd(), IDC_SNMP_VERSION, CB_GETCURSEL, 0, 0);
  return selected == CB_ERR ? SnmpSettings::kNoVersion : static_cast<int>(selected);
}

void SnmpPageWindow::ShowPassphrase(int id, const PassphraseField& field) {
  const bool was_loading = loading_;
  loading_ = true;
  SetItemText(hwnd(), id, field.stored ? kStoredPassphrase : "");
  loading_ = was_loading;
  (id == IDC_V3_AUTH_PASS ? auth_typed_ : priv_typed_) = false;
}

void SnmpPageWindow::ShowVersionRows() {
  const int version = SelectedVersion();
  const bool v3 = version == CfgSnmp::kSnmpV3;
  for (int id : kV3Rows) ShowWindow(Item(id), v3 ? SW_SHOW : SW_HIDE);
  for (int id : kCommunityRow) ShowWindow(Item(id), v3 ? SW_HIDE : SW_SHOW);
  EnableWindow(Item(IDC_INFORM), version != 0);  // SNMPv1 has no inform
  const auto level = SendDlgItemMessageA(hwnd(), IDC_V3_LEVEL, CB_GETCURSEL, 0, 0);
  for (int id : {IDC_V3_AUTH, IDC_V3_AUTH_PASS}) EnableWindow(Item(id), level >= 1);
  for (int id : {IDC_V3_PRIV, IDC_V3_PRIV_PASS}) EnableWindow(Item(id), level == 2);
  if (v3 && !engine_shown_) {
    // Made now, before the service's first SNMPv3 trap, when the store
    // has none: the management station needs it first.
    bool ok = false;
    const std::string id = page_.EngineId(&ok);
    SetItemText(hwnd(), IDC_V3_ENGINE_ID, ok ? id : "(" + id + ")");
    engine_shown_ = ok;
  }
}

void SnmpPageWindow::OnCommand(int id, int code) {
  if (loading_) return;
  if ((id == IDC_DESTINATION || id == IDC_PORT || id == IDC_COMMUNITY || id == IDC_V3_USER) &&
      code == EN_CHANGE) {
    MarkModified();
  } else if ((id == IDC_V3_AUTH_PASS || id == IDC_V3_PRIV_PASS) && code == EN_CHANGE) {
    (id == IDC_V3_AUTH_PASS ? auth_typed_ : priv_typed_) = true;
    MarkModified();
  } else if ((id == IDC_V3_AUTH_PASS || id == IDC_V3_PRIV_PASS) && code == EN_SETFOCUS &&
             !(id == IDC_V3_AUTH_PASS ? auth_typed_ : priv_typed_)) {
    // Typing replaces the stars of a stored passphrase rather than adding to them.
    SendDlgItemMessageA(hwnd(), id, EM_SETSEL, 0, -1);
  } else if ((id == IDC_SNMP_VERSION || id == IDC_V3_LEVEL) && code == CBN_SELCHANGE) {
    ShowVersionRows();
    MarkModified();
  } else if ((id == IDC_V3_AUTH || id == IDC_V3_PRIV) && code == CBN_SELCHANGE) {
    MarkModified();
  } else if (id == IDC_INFORM && code == BN_CLICKED) {
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
  settings.inform = IsDlgButtonChecked(hwnd(), IDC_INFORM) == BST_CHECKED;
  settings.user = ItemText(hwnd(), IDC_V3_USER);
  const auto level = SendDlgItemMessageA(hwnd(), IDC_V3_LEVEL, CB_GETCURSEL, 0, 0);
  settings.level = level == CB_ERR ? SnmpSettings::kNoLevel : static_cast<int>(level);
  // A protocol stored but not offered here stays as it is, and is refused.
  settings.auth = Selected(hwnd(), IDC_V3_AUTH, settings.auth);
  settings.priv = Selected(hwnd(), IDC_V3_PRIV, settings.priv);
  if (auth_typed_) settings.auth_passphrase.changed = ItemText(hwnd(), IDC_V3_AUTH_PASS);
  if (priv_typed_) settings.priv_passphrase.changed = ItemText(hwnd(), IDC_V3_PRIV_PASS);
}

bool SnmpPageWindow::Save() {
  // The version is taken from the list itself at the moment of saving.
  page_.settings().version_index = SelectedVersion();
  const bool saved = ReportSave(hwnd(), page_.Save());
  // A passphrase stored shows as stars again; one refused stays to be mended.
  if (saved) {
    if (auth_typed_ && !page_.settings().auth_passphrase.changed) {
      ShowPassphrase(IDC_V3_AUTH_PASS, page_.settings().auth_passphrase);
    }
    if (priv_typed_ && !page_.settings().priv_passphrase.changed) {
      ShowPassphrase(IDC_V3_PRIV_PASS, page_.settings().priv_passphrase);
    }
  }
  return saved;
}

}  // namespace kivo::tool::windows
