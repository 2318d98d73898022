#include "tool/windows/RowListPageWindow.h"

#include <commctrl.h>

#include "tool/windows/ListViewRows.h"

namespace kivo::tool::windows {

RowListPageWindow::RowListPageWindow(int dialog_id, const char* tab_caption, ControlIds ids)
    : PageWindow(dialog_id, tab_caption), ids_(ids) {}

void RowListPageWindow::ShowRows(int selected) {
  ListViewRows(Item(ids_.list)).Fill(RowTexts(), selected);
}

int RowListPageWindow::SetUpList() {
  SendMessageA(Item(ids_.list), LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT,
               LVS_EX_FULLROWSELECT);
  return ListViewRows(Item(ids_.list)).ClientWidth();
}

void RowListPageWindow::AddColumn(int index, const char* header, int width) {
  ListViewRows(Item(ids_.list)).AddColumn(index, header, width);
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
