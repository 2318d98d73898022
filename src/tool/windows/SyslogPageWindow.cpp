#include "tool/windows/SyslogPageWindow.h"

#include <commctrl.h>

#include "tool/windows/ListViewRows.h"
#include "tool/windows/Resource.h"
#include "tool/windows/SyslogDestinationWindow.h"

namespace kivo::tool::windows {

SyslogPageWindow::SyslogPageWindow(platform::Registry& registry)
    : PageWindow(IDD_SYSLOG, "Syslog"), page_(registry) {}

void SyslogPageWindow::OnCreate() {
  ListViewRows list(Item(IDC_SYSLOG_LIST));
  SendMessageA(Item(IDC_SYSLOG_LIST), LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT,
               LVS_EX_FULLROWSELECT);
  const int third = list.ClientWidth() / 3;
  list.AddColumn(0, "Syslog Host ", 2 * third);
  list.AddColumn(1, "Port", third);
  page_.Load();
  ShowRows(-1);
  CheckDlgButton(
      hwnd(), IDC_FORWARD_EVERYTHING,
      page_.use_filters() == SyslogPage::kForwardEverything ? BST_CHECKED : BST_UNCHECKED);
  CheckDlgButton(hwnd(), IDC_USE_FILTERS,
                 page_.use_filters() == SyslogPage::kUseFilters ? BST_CHECKED : BST_UNCHECKED);
}

void SyslogPageWindow::ShowRows(int selected) {
  std::vector<std::vector<std::string>> rows;
  for (const SyslogRow& row : page_.rows()) rows.push_back({row.host, row.port_text});
  ListViewRows(Item(IDC_SYSLOG_LIST)).Fill(rows, selected);
}

void SyslogPageWindow::ModifyRow(int row) {
  if (row < 0 || row >= static_cast<int>(page_.rows().size())) return;
  SyslogDestinationDialog dialog(SyslogDestinationDialog::Mode::kModify,
                                 page_.rows()[static_cast<std::size_t>(row)]);
  if (RunSyslogDestinationDialog(hwnd(), dialog)) {
    page_.Replace(static_cast<std::size_t>(row), dialog.result());
    ShowRows(row);
    MarkModified();
  }
}

void SyslogPageWindow::OnCommand(int id, int code) {
  if (code != BN_CLICKED) return;
  if (id == IDC_FORWARD_EVERYTHING || id == IDC_USE_FILTERS) {
    MarkModified();
    return;
  }
  const int selected = ListViewRows(Item(IDC_SYSLOG_LIST)).Selected();
  if (id == IDC_SYSLOG_ADD) {
    SyslogDestinationDialog dialog(SyslogDestinationDialog::Mode::kAdd, SyslogRow());
    if (RunSyslogDestinationDialog(hwnd(), dialog)) {
      page_.Append(dialog.result());
      ShowRows(static_cast<int>(page_.rows().size()) - 1);
      MarkModified();
    }
  } else if (id == IDC_SYSLOG_MODIFY) {
    ModifyRow(selected);
  } else if (id == IDC_SYSLOG_DELETE) {
    if (selected < 0) return;
    page_.Remove(static_cast<std::size_t>(selected));
    ShowRows(-1);
    MarkModified();
  } else {
    return;
  }
  SetFocus(hwnd());
}

bool SyslogPageWindow::OnNotify(NMHDR* header) {
  if (header->idFrom == IDC_SYSLOG_LIST && header->code == NM_DBLCLK) {
    POINT point = {};
    GetCursorPos(&point);
    ScreenToClient(Item(IDC_SYSLOG_LIST), &point);
    ModifyRow(ListViewRows(Item(IDC_SYSLOG_LIST)).RowAt(point));
    return true;
  }
  return false;
}

void SyslogPageWindow::TakeControlContents() {
  page_.set_use_filters(
      SyslogPage::ChoiceFromRadios(IsDlgButtonChecked(hwnd(), IDC_FORWARD_EVERYTHING) != 0,
                                   IsDlgButtonChecked(hwnd(), IDC_USE_FILTERS) != 0));
}

bool SyslogPageWindow::Save() {
  page_.Save();
  return true;
}

}  // namespace kivo::tool::windows
