#include "tool/windows/ListViewRows.h"

#include <commctrl.h>

namespace kivo::tool::windows {

void ListViewRows::AddColumn(int index, const char* header, int width) {
  LVCOLUMNA column = {};
  column.mask = LVCF_FMT | LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
  column.fmt = LVCFMT_CENTER;
  column.cx = width;
  column.pszText = const_cast<char*>(header);
  column.iSubItem = index;
  SendMessageA(list_, LVM_INSERTCOLUMNA, static_cast<WPARAM>(index),
               reinterpret_cast<LPARAM>(&column));
}

int ListViewRows::ClientWidth() const {
  RECT client = {};
  GetClientRect(list_, &client);
  return client.right - client.left;
}

void ListViewRows::Fill(const std::vector<std::vector<std::string>>& rows, int selected) {
  SendMessageA(list_, LVM_DELETEALLITEMS, 0, 0);
  for (std::size_t r = 0; r < rows.size(); ++r) {
    for (std::size_t c = 0; c < rows[r].size(); ++c) {
      LVITEMA item = {};
      item.mask = LVIF_TEXT;
      item.iItem = static_cast<int>(r);
      item.iSubItem = static_cast<int>(c);
      item.pszText = const_cast<char*>(rows[r][c].c_str());
      SendMessageA(list_, c == 0 ? LVM_INSERTITEMA : LVM_SETITEMTEXTA, r,
                   reinterpret_cast<LPARAM>(&item));
    }
  }
  if (selected >= 0 && selected < static_cast<int>(rows.size())) {
    LVITEMA state = {};
    state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    state.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageA(list_, LVM_SETITEMSTATE, static_cast<WPARAM>(selected),
                 reinterpret_cast<LPARAM>(&state));
    SendMessageA(list_, LVM_ENSUREVISIBLE, static_cast<WPARAM>(selected), FALSE);
  }
}

int ListViewRows::Selected() const {
  return static_cast<int>(
      SendMessageA(list_, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), MAKELPARAM(LVNI_SELECTED, 0)));
}

}  // namespace kivo::tool::windows
