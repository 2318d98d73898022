#pragma once

// Drives kivocfg.exe from outside, the way a user would: it finds the
// program's windows, reads their texts, types, clicks and picks list entries
// through window messages. Nothing in the product knows about it.

#include <windows.h>

#include <functional>
#include <string>

namespace kivo::testing {

// Xvfb runs no window manager: Wine is told to frame and place windows
// itself instead of waiting for a manager to acknowledge every window it
// hides. Programs started afterwards read this setting.
void UseWineOwnWindowFrames();

// The folder of the running test program, with its final backslash.
std::string DirectoryOfThisProgram();

// Polls `condition` until it holds or `timeout_ms` has passed.
bool Eventually(const std::function<bool()>& condition, DWORD timeout_ms = 15000);

// A visible top-level dialog with this caption, or null.
HWND FindDialog(const char* caption);
HWND WaitForDialog(const char* caption);
bool WaitUntilGone(HWND window);

std::string TextOf(HWND window);
// The message a message box shows (its text control, not its caption).
std::string MessageBoxText(HWND box);
// The message box kivocfg shows next: its text, after pressing one of its
// buttons ("(no message box)" when none comes).
std::string AnswerMessageBox(int button);
void SetText(HWND control, const std::string& text);
// Types the text key by key (WM_CHAR), as a user at the keyboard would. The
// keys are queued: wait for their effect before relying on it.
void Type(HWND control, const std::string& text);
void PressKey(HWND control, UINT virtual_key);
// Clicks a button without waiting for what the click starts (a modal dialog
// would block a sent click).
void Click(HWND button);
// Selects a drop-down list entry and tells the owner as the list would.
void Choose(HWND combo, int index);

// Report-view lists: the number of rows, and choosing the first row from
// the keyboard (true once the list shows it chosen).
int RowCount(HWND list);
bool SelectFirstRow(HWND list);

// kivocfg.exe, started by the test and ended by it if still running.
class Kivocfg {
 public:
  Kivocfg();
  ~Kivocfg();
  Kivocfg(const Kivocfg&) = delete;
  Kivocfg& operator=(const Kivocfg&) = delete;

  bool Running() const;
  bool WaitForExit();

  // The property sheet "Kivo Configuration".
  HWND WaitForSheet();
  HWND sheet() const { return sheet_; }
  // Shows a page (0 SNMP, 1 Filters, 2 Trap Type Map, 3 Syslog) and returns it.
  HWND ShowPage(int index);
  HWND Control(int id) const;  // a control of the current page
  HWND ApplyButton() const;
  // Presses Apply and waits for the sheet to disable it again.
  bool Apply();
  // Presses OK or Cancel and waits for the program to end.
  bool Ok();
  bool Cancel();

 private:
  PROCESS_INFORMATION process_ = {};
  HWND sheet_ = nullptr;
  HWND page_ = nullptr;
};

}  // namespace kivo::testing
