#include "tool/windows/RowListPageWindow.h"

#include <commctrl.h>

#include "tool/windows/ListViewRows.h"

namespace kivo::tool::windows {

RowListPageWindow::RowListPageWindow(int dialog_id, const char* tab_caption, ControlIds ids)
    : PageWindow(dialog_id, tab_caption), ids_(ids) {}

void RowListPageWindow::ShowRows(int selected) {
  ListViewRows(Item(ids_.list)).Fill(RowTexts(), selected);
}

int RowListPageWindow::ListWidth() const {
  return ListViewRows(Item(ids_.list)).ClientWidth();
}

void RowListPageWindow::SetUpColumns(const std::vector<Column>& columns) {
  HWND list = Item(ids_.list);
  SendMessageA(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
  // The first column of a list is always left-aligned; a column that is
  // first only for a moment takes that place, so the real ones can be centred.
  ListViewRows rows(list);
  rows.AddColumn(0, "", 0);
  for (std::size_t i = 0; i < columns.size(); ++i) {
    rows.AddColumn(static_cast<int>(i) + 1, columns[i].header, columns[i].width);
  }
  SendMessageA(list, LVM_DELETECOLUMN, 0, 0);
}

void RowListPageWindow::Modify(int row) {
  if (row < 0 || static_cast<std::size_t>(row) >= RowTexts().size()) return;
  if (ModifyRow(static_cast<std::size_t>(row))) {
    ShowRows(row);
    MarkModified();
  }
}

void RowListPageWindow::OnCommand(int id, int code) {
  if (code != BN_CLICKED) return;
  const int selected = ListViewRows(Item(ids_.list)).Selected();
  if (id == ids_.add) {
    if (AddRow()) {
      ShowRows(static_cast<int>(RowTexts().size()) - 1);
      MarkModified();
    }
  } else if (id == ids_.modify) {
    Modify(selected);
  } else if (id == ids_.remove) {
    if (selected < 0) return;
    RemoveRow(static_cast<std::size_t>(selected));
    ShowRows(-1);
    MarkModified();
  } else {
    return;
  }
  SetFocus(hwnd());
}

bool RowListPageWindow::OnNotify(NMHDR* header) {
  if (static_cast<int>(header->idFrom) != ids_.list || header->code != NM_DBLCLK) return false;
  // The list names the row under the pointer; a double click beside the
  // rows names none and does nothing.
  Modify(reinterpret_cast<const NMITEMACTIVATE*>(header)->iItem);
  return true;
}

}  // namespace kivo::tool::windows
