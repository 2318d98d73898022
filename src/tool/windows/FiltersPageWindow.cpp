#include "tool/windows/FiltersPageWindow.h"

#include <commctrl.h>

#include "tool/windows/FilterConfigWindow.h"
#include "tool/windows/ListViewRows.h"
#include "tool/windows/Resource.h"

namespace kivo::tool::windows {

FiltersPageWindow::FiltersPageWindow(platform::Registry& registry)
    : PageWindow(IDD_FILTERS, "Filters"), page_(registry) {}

void FiltersPageWindow::OnCreate() {
  ListViewRows list(Item(IDC_FILTER_LIST));
  SendMessageA(Item(IDC_FILTER_LIST), LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT,
               LVS_EX_FULLROWSELECT);
  const int half = list.ClientWidth() / 2;
  list.AddColumn(0, "Filter On ", half);
  list.AddColumn(1, "Type", half);
  list.AddColumn(2, "Bools", 0);  // keeps each filter's list, seen only in the dialog
  page_.Load();
  ShowRows(-1);
}

void FiltersPageWindow::ShowRows(int selected) {
  std::vector<std::vector<std::string>> rows;
  for (const FilterRow& row : page_.rows()) rows.push_back({row.on, row.type, row.list});
  ListViewRows(Item(IDC_FILTER_LIST)).Fill(rows, selected);
}

void FiltersPageWindow::ModifyRow(int row) {
  if (row < 0 || row >= static_cast<int>(page_.rows().size())) return;
  FilterConfigDialog dialog(FilterConfigDialog::Mode::kModify,
                            page_.rows()[static_cast<std::size_t>(row)]);
  if (RunFilterConfigDialog(hwnd(), dialog)) {
    page_.Replace(static_cast<std::size_t>(row), dialog.result());
    ShowRows(row);
    MarkModified();
  }
}

void FiltersPageWindow::OnCommand(int id, int code) {
  if (code != BN_CLICKED) return;
  const int selected = ListViewRows(Item(IDC_FILTER_LIST)).Selected();
  if (id == IDC_FILTER_ADD) {
    FilterConfigDialog dialog(FilterConfigDialog::Mode::kAdd, FilterRow());
    if (RunFilterConfigDialog(hwnd(), dialog)) {
      page_.Append(dialog.result());
      ShowRows(static_cast<int>(page_.rows().size()) - 1);
      MarkModified();
    }
  } else if (id == IDC_FILTER_MODIFY) {
    ModifyRow(selected);
  } else if (id == IDC_FILTER_DELETE) {
    if (selected < 0) return;
    page_.Remove(static_cast<std::size_t>(selected));
    ShowRows(-1);
    MarkModified();
  } else {
    return;
  }
  SetFocus(hwnd());
}

bool FiltersPageWindow::OnNotify(NMHDR* header) {
  if (header->idFrom == IDC_FILTER_LIST && header->code == NM_DBLCLK) {
    POINT point = {};
    GetCursorPos(&point);
    ScreenToClient(Item(IDC_FILTER_LIST), &point);
    ModifyRow(ListViewRows(Item(IDC_FILTER_LIST)).RowAt(point));
    return true;
  }
  return false;
}

bool FiltersPageWindow::Save() {
  page_.Save();
  return true;
}

}  // namespace kivo::tool::windows
