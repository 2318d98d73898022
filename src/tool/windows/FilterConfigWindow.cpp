#include "tool/windows/FilterConfigWindow.h"

#include "tool/TextLimits.h"
#include "tool/windows/Resource.h"
#include "tool/windows/WindowText.h"

namespace kivo::tool::windows {

namespace {

void Fill(HWND window, const FilterConfigDialog& dialog) {
  for (const std::string& choice : FilterConfigDialog::FilterOnChoices()) {
    SendDlgItemMessageA(window, IDC_FILTER_ON, CB_ADDSTRING, 0,
                        reinterpret_cast<LPARAM>(choice.c_str()));
  }
  for (const std::string& choice : FilterConfigDialog::FilterTypeChoices()) {
    SendDlgItemMessageA(window, IDC_FILTER_TYPE, CB_ADDSTRING, 0,
                        reinterpret_cast<LPARAM>(choice.c_str()));
  }
  // Longer texts would be stored but could never be read back.
  SendDlgItemMessageA(window, IDC_FILTER_TYPE, CB_LIMITTEXT, kMaxStoredTextLength, 0);
  SendDlgItemMessageA(window, IDC_FILTER_TEXT, EM_LIMITTEXT, kMaxStoredTextLength, 0);
  SendDlgItemMessageA(window, IDC_FILTER_ON, CB_SETCURSEL,
                      static_cast<WPARAM>(dialog.initial_filter_on_index()), 0);
  SetItemText(window, IDC_FILTER_TYPE, dialog.initial_filter_type());
  SetItemText(window, IDC_FILTER_TEXT, dialog.initial_filter_list());
  SetItemText(window, IDOK, dialog.confirm_caption());
}

FilterRow Take(HWND window) {
  FilterRow row;
  const auto selected = SendDlgItemMessageA(window, IDC_FILTER_ON, CB_GETCURSEL, 0, 0);
  if (selected != CB_ERR) {
    row.on = FilterConfigDialog::FilterOnChoices().at(static_cast<std::size_t>(selected));
  }
  row.type = ItemText(window, IDC_FILTER_TYPE);
  row.list = ItemText(window, IDC_FILTER_TEXT);
  return row;
}

INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  auto* dialog = reinterpret_cast<FilterConfigDialog*>(GetWindowLongPtrA(window, DWLP_USER));
  switch (message) {
    case WM_INITDIALOG:
      SetWindowLongPtrA(window, DWLP_USER, lparam);
      Fill(window, *reinterpret_cast<FilterConfigDialog*>(lparam));
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wparam) == IDOK) {
        const std::string refusal = dialog->Confirm(Take(window));
        if (!refusal.empty()) {
          ShowMessage(window, refusal);
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

bool RunFilterConfigDialog(HWND owner, FilterConfigDialog& dialog) {
  return DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_FILTER_CONFIG), owner,
                         &DialogProc, reinterpret_cast<LPARAM>(&dialog)) == IDOK;
}

}  // namespace kivo::tool::windows
