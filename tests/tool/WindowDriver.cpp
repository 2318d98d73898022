#include "tool/WindowDriver.h"

#include <vector>

namespace kivo::testing {

void UseWineOwnWindowFrames() {
  HKEY key = nullptr;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Wine\\X11 Driver", 0, nullptr, 0, KEY_SET_VALUE,
                      nullptr, &key, nullptr) == ERROR_SUCCESS) {
    RegSetValueExA(key, "Managed", 0, REG_SZ, reinterpret_cast<const BYTE*>("N"), 2);
    RegCloseKey(key);
  }
}

std::string DirectoryOfThisProgram() {
  char path[MAX_PATH] = {};
  const std::string text(path, GetModuleFileNameA(nullptr, path, sizeof(path)));
  return text.substr(0, text.find_last_of('\\') + 1);
}

bool Eventually(const std::function<bool()>& condition, DWORD timeout_ms) {
  for (const DWORD start = GetTickCount(); !condition(); Sleep(50)) {
    if (GetTickCount() - start > timeout_ms) return false;
  }
  return true;
}

HWND FindDialog(const char* caption) {
  HWND window = FindWindowA("#32770", caption);
  return window != nullptr && IsWindowVisible(window) ? window : nullptr;
}

HWND WaitForDialog(const char* caption) {
  HWND window = nullptr;
  Eventually([&] { return (window = FindDialog(caption)) != nullptr; });
  return window;
}

bool CloseDialog(HWND dialog, int button) {
  Click(GetDlgItem(dialog, button));
  return Eventually([&] { return !IsWindow(dialog) || !IsWindowVisible(dialog); });
}

std::string AnswerMessageBox(int button) {
  HWND box = WaitForDialog("kivocfg");
  if (box == nullptr) return "(no message box)";
  std::string text;  // of its one static control that holds text
  EnumChildWindows(
      box,
      [](HWND child, LPARAM found) -> BOOL {
        char name[32] = {};
        GetClassNameA(child, name, sizeof(name));
        if (lstrcmpiA(name, "Static") != 0 || TextOf(child).empty()) return TRUE;
        *reinterpret_cast<std::string*>(found) = TextOf(child);
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&text));
  CloseDialog(box, button);
  return text;
}

std::string TextOf(HWND window) {
  char buffer[1024] = {};
  const auto length =
      SendMessageA(window, WM_GETTEXT, sizeof(buffer), reinterpret_cast<LPARAM>(buffer));
  return std::string(buffer, static_cast<std::size_t>(length));
}

void Choose(HWND combo, int index) {
  SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
  SendMessageA(GetParent(combo), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(combo), CBN_SELCHANGE),
               reinterpret_cast<LPARAM>(combo));
}

bool SelectFirstRow(HWND list) {
  PressKey(list, VK_HOME);
  return Eventually([&] { return ListView_GetNextItem(list, -1, LVNI_SELECTED) == 0; });
}

Kivocfg::Kivocfg() {
  const std::string command = "\"" + DirectoryOfThisProgram() + "..\\..\\kivocfg.exe\"";
  std::vector<char> line(command.c_str(), command.c_str() + command.size() + 1);
  STARTUPINFOA startup = {};
  startup.cb = sizeof(startup);
  CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                 &process_);
}

Kivocfg::~Kivocfg() {
  if (process_.hProcess == nullptr) return;
  if (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT) {
    TerminateProcess(process_.hProcess, 1);
    WaitForSingleObject(process_.hProcess, 5000);
  }
  CloseHandle(process_.hThread);
  CloseHandle(process_.hProcess);
}

HWND Kivocfg::WaitForSheet() {
  sheet_ = WaitForDialog("Kivo Configuration");
  if (sheet_ != nullptr)
    Eventually([&] { return PropSheet_GetCurrentPageHwnd(sheet_) != nullptr; });
  return sheet_;
}

bool Kivocfg::Apply() {
  HWND apply = ApplyButton();
  if (!Eventually([&] { return IsWindowEnabled(apply) != FALSE; }, 5000)) return false;
  Click(apply);
  return Eventually([&] { return !IsWindowEnabled(apply); });
}

bool Kivocfg::Cancel() {
  Click(GetDlgItem(sheet_, IDCANCEL));
  return process_.hProcess != nullptr &&
         WaitForSingleObject(process_.hProcess, 15000) == WAIT_OBJECT_0;
}

}  // namespace kivo::testing
