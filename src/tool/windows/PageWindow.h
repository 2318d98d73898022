#pragma once

#include <windows.h>

#include <prsht.h>

namespace kivo::tool::windows {

// One page of the property sheet: the dialog procedure and the sheet's
// notifications, with the page's own behaviour left to the derived class.
class PageWindow {
 public:
  PageWindow(int dialog_id, const char* tab_caption);
  virtual ~PageWindow() = default;
  PageWindow(const PageWindow&) = delete;
  PageWindow& operator=(const PageWindow&) = delete;

  PROPSHEETPAGEA Describe();

 protected:
  HWND hwnd() const { return hwnd_; }
  HWND Item(int id) const { return GetDlgItem(hwnd_, id); }
  // Enables the sheet's Apply button.
  void MarkModified();

  // The page's window has just been created: load the store into it.
  virtual void OnCreate() = 0;
  virtual void OnCommand(int id, int code) {}
  // True when the notification was handled.
  virtual bool OnNotify(NMHDR* header) { return false; }
  virtual void OnDestroy() {}
  // The page is left, or OK or Apply was pressed while it was shown.
  virtual void TakeControlContents() {}
  // Saves to the store; false refuses the save and keeps the sheet open.
  virtual bool Save() = 0;

 private:
  static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
  INT_PTR Handle(UINT message, WPARAM wparam, LPARAM lparam);

  int dialog_id_;
  const char* tab_caption_;
  HWND hwnd_ = nullptr;
};

}  // namespace kivo::tool::windows
