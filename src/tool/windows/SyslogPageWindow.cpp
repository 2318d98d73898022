#include "tool/windows/SyslogPageWindow.h"

#include "tool/StoredList.h"
#include "tool/windows/Resource.h"
#include "tool/windows/SyslogDestinationWindow.h"
#include "tool/windows/WindowText.h"

namespace kivo::tool::windows {

SyslogPageWindow::SyslogPageWindow(platform::Registry& registry)
    : RowListPageWindow(IDD_SYSLOG, "Syslog",
                        {IDC_SYSLOG_LIST, IDC_SYSLOG_ADD, IDC_SYSLOG_MODIFY, IDC_SYSLOG_DELETE}),
      page_(registry) {}

void SyslogPageWindow::OnCreate() {
  const int quarter = ListWidth() / 4;
  SetUpColumns({{"Syslog Host ", 2 * quarter}, {"Port", quarter}, {"Protocol", quarter}});
  page_.Load();
  ShowRows(-1);
  // A stored choice other than 0 or 1 shows neither button chosen.
  CheckDlgButton(
      hwnd(), IDC_FORWARD_EVERYTHING,
      page_.use_filters() == SyslogPage::kForwardEverything ? BST_CHECKED : BST_UNCHECKED);
  CheckDlgButton(hwnd(), IDC_USE_FILTERS,
                 page_.use_filters() == SyslogPage::kUseFilters ? BST_CHECKED : BST_UNCHECKED);
}

void SyslogPageWindow::OnCommand(int id, int code) {
  if ((id == IDC_FORWARD_EVERYTHING || id == IDC_USE_FILTERS) && code == BN_CLICKED) {
    MarkModified();
    return;
  }
  RowListPageWindow::OnCommand(id, code);
}

std::vector<std::vector<std::string>> SyslogPageWindow::RowTexts() const {
  std::vector<std::vector<std::string>> rows;
  // The port column marks an entry kept as stored because it cannot be read.
  for (const SyslogRow& row : page_.rows()) {
    rows.push_back({row.host, row.kept ? MarkedUnreadable(row.port_text) : row.port_text,
                    SyslogPage::ProtocolCaption(row)});
  }
  return rows;
}

bool SyslogPageWindow::AddRow() {
  SyslogDestinationDialog dialog(SyslogDestinationDialog::Mode::kAdd, SyslogRow());
  if (!RunSyslogDestinationDialog(hwnd(), dialog)) return false;
  page_.Append(dialog.result());
  return true;
}

bool SyslogPageWindow::ModifyRow(std::size_t row) {
  SyslogDestinationDialog dialog(SyslogDestinationDialog::Mode::kModify, page_.rows()[row]);
  if (!RunSyslogDestinationDialog(hwnd(), dialog)) return false;
  page_.Replace(row, dialog.result());
  return true;
}

void SyslogPageWindow::TakeControlContents() {
  page_.set_use_filters(
      SyslogPage::ChoiceFromRadios(IsDlgButtonChecked(hwnd(), IDC_FORWARD_EVERYTHING) != 0,
                                   IsDlgButtonChecked(hwnd(), IDC_USE_FILTERS) != 0));
}

bool SyslogPageWindow::Save() {
  return ReportSave(hwnd(), SaveResult{"", page_.Save()});
}

}  // namespace kivo::tool::windows
