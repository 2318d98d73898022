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
// Clicks a button and waits for the dialog that it opens.
HWND OpenDialog(HWND button, const char* caption);
// Clicks a button of a dialog and waits for the dialog to go.
bool CloseDialog(HWND dialog, int button);
// The text of the message box kivocfg shows next, after pressing one of its
// buttons ("(no message box)" when none comes).
std::string AnswerMessageBox(int button);

std::string TextOf(HWND window);
HWND FocusOf(HWND window);  // the control with the keyboard focus in its thread
void SetText(HWND control, const std::string& text);
// Keys are posted, as the keyboard would: wait for their effect.
void Type(HWND control, const std::string& text);
void PressKey(HWND control, UINT virtual_key);
// Clicks without waiting for what the click starts (a modal dialog).
void Click(HWND button);
// Selects a drop-down list entry and tells the owner as the list would.
void Choose(HWND combo, int index);
int RowCount(HWND list);  // of a report-view list
// Chooses the first row from the keyboard; true once the list shows it chosen.
bool SelectFirstRow(HWND list);

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
  void ShowPage(int index) { SendMessageA(sheet_, PSM_SETCURSEL, index, 0); }
  HWND Control(int id) const;  // of the page shown
  HWND ApplyButton() const { return GetDlgItem(sheet_, 0x3021); }
  // Presses Apply once an edit enabled it, and waits for it to be disabled again.
  bool Apply();
  // Presses Cancel and waits for the program to end.
  bool Cancel();

 private:
  PROCESS_INFORMATION process_ = {};
  HWND sheet_ = nullptr;
};

}  // namespace kivo::testing
