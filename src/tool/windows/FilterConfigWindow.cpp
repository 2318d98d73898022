#include "tool/windows/FilterConfigWindow.h"

#include "tool/TextLimits.h"
#include "tool/windows/ModalDialog.h"
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

}  // namespace

bool RunFilterConfigDialog(HWND owner, FilterConfigDialog& dialog) {
  ModalDialogHandlers handlers;
  handlers.fill = [&](HWND window) { Fill(window, dialog); };
  handlers.confirm = [&](HWND window) { return dialog.Confirm(Take(window)); };
  handlers.approve = [&](HWND window) {
    const std::string question = dialog.TwinQuestion();
    return question.empty() ||
           ShowMessage(window, question, MB_YESNO | MB_ICONEXCLAMATION) == IDYES;
  };
  return RunModalDialog(owner, IDD_FILTER_CONFIG, handlers);
}

}  // namespace kivo::tool::windows
