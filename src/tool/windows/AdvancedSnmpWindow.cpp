#include "tool/windows/AdvancedSnmpWindow.h"

#include "tool/AdvancedSnmpDialog.h"
#include "tool/TextLimits.h"
#include "tool/windows/ModalDialog.h"
#include "tool/windows/Resource.h"
#include "tool/windows/WindowText.h"

namespace kivo::tool::windows {

namespace {

struct CheckBox {
  int id;
  bool AdvancedSnmpSettings::*flag;
};

constexpr CheckBox kCheckBoxes[] = {
    {IDC_EVENT_NUMBER, &AdvancedSnmpSettings::event_number},
    {IDC_EVENT_TYPE, &AdvancedSnmpSettings::event_type},
    {IDC_EVENT_SOURCE, &AdvancedSnmpSettings::event_source},
    {IDC_EVENT_COMPUTER_NAME, &AdvancedSnmpSettings::event_computer_name},
    {IDC_EVENT_USER, &AdvancedSnmpSettings::event_user},
    {IDC_EVENT_DESCRIPTION, &AdvancedSnmpSettings::event_description},
    {IDC_EVENT_CATEGORY, &AdvancedSnmpSettings::event_category},
    {IDC_STRIP_CRLF, &AdvancedSnmpSettings::strip_crlf},
    {IDC_BURST, &AdvancedSnmpSettings::burst},
    {IDC_RESUME, &AdvancedSnmpSettings::resume},
};

void Fill(HWND dialog, const AdvancedSnmpSettings& settings) {
  // The store cannot read back more than this, so the field takes no more.
  SendDlgItemMessageA(dialog, IDC_SENDER_OID, EM_LIMITTEXT, kMaxStoredTextLength, 0);
  SetItemText(dialog, IDC_SENDER_OID, settings.sender_oid);
  for (const CheckBox& box : kCheckBoxes) {
    CheckDlgButton(dialog, box.id, settings.*box.flag ? BST_CHECKED : BST_UNCHECKED);
  }
}

void Take(HWND dialog, AdvancedSnmpSettings& settings) {
  settings.sender_oid = ItemText(dialog, IDC_SENDER_OID);
  for (const CheckBox& box : kCheckBoxes) {
    settings.*box.flag = IsDlgButtonChecked(dialog, box.id) == BST_CHECKED;
  }
}

}  // namespace

void RunAdvancedSnmpDialog(HWND owner, platform::Registry& registry) {
  AdvancedSnmpDialog logic(registry);
  ModalDialogHandlers handlers;
  handlers.fill = [&](HWND dialog) {
    logic.Load();
    Fill(dialog, logic.settings());
  };
  handlers.confirm = [&](HWND dialog) {
    Take(dialog, logic.settings());
    return SaveMessage(logic.Save());
  };
  RunModalDialog(owner, IDD_ADVANCED_SNMP, handlers);
}

}  // namespace kivo::tool::windows
