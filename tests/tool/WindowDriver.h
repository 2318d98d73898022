#pragma once

// Drives kivocfg.exe from outside, the way a user would: it finds the
// program's windows, reads their texts, types, clicks and picks list entries
// through window messages. Nothing in the product knows about it.

#include <windows.h>

#include <commctrl.h>

#include <functional>
#include <string>

namespace kivo::testing {

// Xvfb runs no window manager: Wine is told to frame and place windows
// itself instead of waiting for a manager to acknowledge every window it
// hides. Programs started afterwards read this setting.
void UseWineOwnWindowFrames();
std::string DirectoryOfThisProgram();  // with its final backslash
bool Eventually(const std::function<bool()>& condition, DWORD timeout_ms = 15000);

// A visible top-level dialog with this caption (now, or once it shows), or null.
HWND FindDialog(const char* caption);
HWND WaitForDialog(const char* caption);
// Clicks a button of a dialog and waits for the dialog to go.
bool CloseDialog(HWND dialog, int button);
// The text of the message box kivocfg shows next, after pressing one of its
// buttons ("(no message box)" when none comes).
std::string AnswerMessageBox(int button);
std::string TextOf(HWND window);
// Selects a drop-down list entry and tells the owner as the list would.
void Choose(HWND combo, int index);
// Chooses the first row of a report-view list from the keyboard.
bool SelectFirstRow(HWND list);

// Keys and clicks are posted, as the keyboard and mouse would: wait for their
// effect (a click may open a modal dialog).
inline void Type(HWND control, const std::string& text) {
  for (char c : text) PostMessageA(control, WM_CHAR, static_cast<unsigned char>(c), 1);
}
inline void PressKey(HWND control, UINT key) {
  PostMessageA(control, WM_KEYDOWN, key, 1);
  PostMessageA(control, WM_KEYUP, key, 0xC0000001);
}
inline void Click(HWND button) {
  PostMessageA(button, BM_CLICK, 0, 0);
}
inline HWND OpenDialog(HWND button, const char* caption) {
  Click(button);
  return WaitForDialog(caption);
}
inline void SetText(HWND control, const std::string& text) {
  SendMessageA(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

// kivocfg.exe, started by the test and ended by it if still running.
class Kivocfg {
 public:
  Kivocfg();
  ~Kivocfg();
  Kivocfg(const Kivocfg&) = delete;
  Kivocfg& operator=(const Kivocfg&) = delete;

  HWND WaitForSheet();  // the property sheet "Kivo Configuration"
  HWND sheet() const { return sheet_; }
  // Shows a page: 0 SNMP, 1 Filters, 2 Trap Type Map, 3 Syslog.
  void ShowPage(int index) { PropSheet_SetCurSel(sheet_, nullptr, index); }
  HWND Control(int id) const { return GetDlgItem(PropSheet_GetCurrentPageHwnd(sheet_), id); }
  HWND ApplyButton() const { return GetDlgItem(sheet_, 0x3021); }
  // Presses Apply once an edit enabled it, and waits for it to be disabled again.
  bool Apply();
  bool Cancel();  // and waits for the program to end

 private:
  PROCESS_INFORMATION process_ = {};
  HWND sheet_ = nullptr;
};

}  // namespace kivo::testing
