#include "tool/windows/PageWindow.h"

namespace kivo::tool::windows {

PageWindow::PageWindow(int dialog_id, const char* tab_caption)
    : dialog_id_(dialog_id), tab_caption_(tab_caption) {}

PROPSHEETPAGEA PageWindow::Describe() {
  PROPSHEETPAGEA page = {};
  page.dwSize = sizeof(page);
  page.dwFlags = PSP_USETITLE;  // no PSP_HASHELP: the tool has no help
  page.hInstance = GetModuleHandleA(nullptr);
  page.pszTemplate = MAKEINTRESOURCEA(dialog_id_);
  page.pszTitle = tab_caption_;
  page.pfnDlgProc = &PageWindow::DialogProc;
  page.lParam = reinterpret_cast<LPARAM>(this);
  return page;
}

void PageWindow::MarkModified() {
  PropSheet_Changed(GetParent(hwnd_), hwnd_);
}

INT_PTR CALLBACK PageWindow::DialogProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_INITDIALOG) {
    auto* page =
        reinterpret_cast<PageWindow*>(reinterpret_cast<const PROPSHEETPAGEA*>(lparam)->lParam);
    SetWindowLongPtrA(hwnd, DWLP_USER, reinterpret_cast<LONG_PTR>(page));
    page->hwnd_ = hwnd;
  }
  auto* page = reinterpret_cast<PageWindow*>(GetWindowLongPtrA(hwnd, DWLP_USER));
  return page != nullptr ? page->Handle(message, wparam, lparam) : FALSE;
}

INT_PTR PageWindow::Handle(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_INITDIALOG:
      OnCreate();
      return TRUE;
    case WM_COMMAND:
      OnCommand(LOWORD(wparam), HIWORD(wparam));
      return TRUE;
    case WM_DESTROY:
      OnDestroy();
      return FALSE;
    case WM_NOTIFY: {
      auto* header = reinterpret_cast<NMHDR*>(lparam);
      if (header->code == PSN_KILLACTIVE) {
        TakeControlContents();
        SetWindowLongPtrA(hwnd_, DWLP_MSGRESULT, FALSE);
        return TRUE;
      }
      if (header->code == PSN_APPLY) {
        const bool saved = Save();
        SetWindowLongPtrA(hwnd_, DWLP_MSGRESULT,
                          saved ? PSNRET_NOERROR : PSNRET_INVALID_NOCHANGEPAGE);
        return TRUE;
      }
      return OnNotify(header) ? TRUE : FALSE;
    }
    default:
      return FALSE;
  }
}

}  // namespace kivo::tool::windows
