#include "tool/windows/TrapTypeMapWindow.h"

#include "tool/TextLimits.h"
#include "tool/windows/Resource.h"
#include "tool/windows/WindowText.h"

namespace kivo::tool::windows {

TrapTypeMapWindow::TrapTypeMapWindow(platform::Registry& registry)
    : PageWindow(IDD_TRAP_TYPE_MAP, "Trap Type Map"), page_(registry) {}

void TrapTypeMapWindow::OnCreate() {
  // A mapped id is a 16-bit event id in decimal: five digits at most.
  SendDlgItemMessageA(hwnd(), IDC_MAP_ID, EM_LIMITTEXT, kMaxEventIdDigits, 0);
  EnableWindow(Item(IDC_MAP_ADD), FALSE);
  EnableWindow(Item(IDC_MAP_REMOVE), FALSE);
  page_.Load();
  for (const std::string& entry : page_.entries()) {
    const auto index = SendDlgItemMessageA(hwnd(), IDC_MAP_LIST, LB_ADDSTRING, 0,
                                           reinterpret_cast<LPARAM>(entry.c_str()));
    SendDlgItemMessageA(hwnd(), IDC_MAP_LIST, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
  }
  if (!page_.entries().empty()) EnableWindow(Item(IDC_MAP_REMOVE), TRUE);
}

void TrapTypeMapWindow::OnCommand(int id, int code) {
  if (id == IDC_MAP_ID && code == EN_CHANGE) {
    typed_id_ = ItemText(hwnd(), IDC_MAP_ID);
    EnableWindow(Item(IDC_MAP_ADD), typed_id_.empty() ? FALSE : TRUE);
  } else if (id == IDC_MAP_ADD && code == BN_CLICKED) {
    AddTypedId();
  } else if (id == IDC_MAP_LIST && code == LBN_SELCHANGE) {
    UpdateRemoveButton();
  } else if (id == IDC_MAP_REMOVE && code == BN_CLICKED) {
    RemoveSelected();
  }
}

void TrapTypeMapWindow::AddTypedId() {
  switch (page_.Add(typed_id_)) {
    case TrapTypeMap::AddResult::kAdded: {
      const auto index = SendDlgItemMessageA(hwnd(), IDC_MAP_LIST, LB_ADDSTRING, 0,
                                             reinterpret_cast<LPARAM>(typed_id_.c_str()));
      SendDlgItemMessageA(hwnd(), IDC_MAP_LIST, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
      EnableWindow(Item(IDC_MAP_REMOVE), TRUE);
      MarkModified();
      break;
    }
    case TrapTypeMap::AddResult::kDuplicate:
      break;
    case TrapTypeMap::AddResult::kOutOfRange:
      // Keep the text so that the user can correct it.
      ShowMessage(hwnd(), TrapTypeMap::kOutOfRangeMessage);
      SetFocus(Item(IDC_MAP_ID));
      return;
  }
  SetItemText(hwnd(), IDC_MAP_ID, "");  // also disables "Add to Map"
}

void TrapTypeMapWindow::RemoveSelected() {
  const auto selected = SendDlgItemMessageA(hwnd(), IDC_MAP_LIST, LB_GETCURSEL, 0, 0);
  if (selected != LB_ERR) {
    SendDlgItemMessageA(hwnd(), IDC_MAP_LIST, LB_DELETESTRING, static_cast<WPARAM>(selected), 0);
    page_.Remove(static_cast<std::size_t>(selected));
    MarkModified();
  }
  UpdateRemoveButton();
}

void TrapTypeMapWindow::UpdateRemoveButton() {
  const bool selected = SendDlgItemMessageA(hwnd(), IDC_MAP_LIST, LB_GETCURSEL, 0, 0) != LB_ERR;
  EnableWindow(Item(IDC_MAP_REMOVE), selected ? TRUE : FALSE);
}

bool TrapTypeMapWindow::Save() {
  return ReportSave(hwnd(), SaveResult{"", page_.Save()});
}

}  // namespace kivo::tool::windows
