#include "tool/WindowDriver.h"

#include <commctrl.h>

#include <vector>

namespace kivo::testing {

namespace {

constexpr int kApplyButton = 0x3021;  // the property sheet's Apply button

}  // namespace

std::string DirectoryOfThisProgram() {
  char path[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameA(nullptr, path, sizeof(path));
  std::string text(path, length);
  return text.substr(0, text.find_last_of('\\') + 1);
}

void UseWineOwnWindowFrames() {
  HKEY key = nullptr;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Wine\\X11 Driver", 0, nullptr, 0, KEY_SET_VALUE,
                      nullptr, &key, nullptr) == ERROR_SUCCESS) {
    RegSetValueExA(key, "Managed", 0, REG_SZ, reinterpret_cast<const BYTE*>("N"), 2);
    RegCloseKey(key);
  }
}

bool Eventually(const std::function<bool()>& condition, DWORD timeout_ms) {
  const DWORD start = GetTickCount();
  while (!condition()) {
    if (GetTickCount() - start > timeout_ms) return false;
    Sleep(50);
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

bool WaitUntilGone(HWND window) {
  return Eventually([&] { return !IsWindow(window) || !IsWindowVisible(window); });
}

std::string TextOf(HWND window) {
  char buffer[1024] = {};
  const auto length =
      SendMessageA(window, WM_GETTEXT, sizeof(buffer), reinterpret_cast<LPARAM>(buffer));
  return std::string(buffer, static_cast<std::size_t>(length));
}

std::string MessageBoxText(HWND box) {
  std::string text;
  EnumChildWindows(
      box,
      [](HWND child, LPARAM found) -> BOOL {
        char name[32] = {};
        GetClassNameA(child, name, sizeof(name));
        std::string content = TextOf(child);
        if (lstrcmpiA(name, "Static") == 0 && !content.empty()) {
          *reinterpret_cast<std::string*>(found) = content;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&text));
  return text;
}

std::string AnswerMessageBox(int button) {
  HWND box = WaitForDialog("kivocfg");
  if (box == nullptr) return "(no message box)";
  std::string text = MessageBoxText(box);
  Click(GetDlgItem(box, button));
  WaitUntilGone(box);
  return text;
}

void SetText(HWND control, const std::string& text) {
  SendMessageA(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void Type(HWND control, const std::string& text) {
  for (char c : text) PostMessageA(control, WM_CHAR, static_cast<unsigned char>(c), 1);
}

void PressKey(HWND control, UINT virtual_key) {
  PostMessageA(control, WM_KEYDOWN, virtual_key, 1);
  PostMessageA(control, WM_KEYUP, virtual_key, 0xC0000001);
}

void Click(HWND button) {
  PostMessageA(button, BM_CLICK, 0, 0);
}

void Choose(HWND combo, int index) {
  SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
  SendMessageA(GetParent(combo), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(combo), CBN_SELCHANGE),
               reinterpret_cast<LPARAM>(combo));
}

int RowCount(HWND list) {
  return static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
}

bool SelectFirstRow(HWND list) {
  PressKey(list, VK_HOME);
  return Eventually([&] {
    return SendMessageA(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED) == 0;
  });
}

Kivocfg::Kivocfg() {
  std::string command = "\"" + DirectoryOfThisProgram() + "..\\..\\kivocfg.exe\"";
  STARTUPINFOA startup = {};
  startup.cb = sizeof(startup);
  std::vector<char> line(command.begin(), command.end());
  line.push_back('\0');
  CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                 &process_);
}

Kivocfg::~Kivocfg() {
  if (process_.hProcess == nullptr) return;
  if (Running()) {
    TerminateProcess(process_.hProcess, 1);
    WaitForSingleObject(process_.hProcess, 5000);
  }
  CloseHandle(process_.hThread);
  CloseHandle(process_.hProcess);
}

bool Kivocfg::Running() const {
  return process_.hProcess != nullptr && WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT;
}

bool Kivocfg::WaitForExit() {
  return process_.hProcess != nullptr &&
         WaitForSingleObject(process_.hProcess, 15000) == WAIT_OBJECT_0;
}

HWND Kivocfg::WaitForSheet() {
  sheet_ = WaitForDialog("Kivo Configuration");
  if (sheet_ != nullptr) {
    Eventually([&] { return (page_ = PropSheet_GetCurrentPageHwnd(sheet_)) != nullptr; });
  }
  return sheet_;
}

HWND Kivocfg::ShowPage(int index) {
  SendMessageA(sheet_, PSM_SETCURSEL, static_cast<WPARAM>(index), 0);
  page_ = PropSheet_GetCurrentPageHwnd(sheet_);
  return page_;
}

HWND Kivocfg::Control(int id) const {
  return GetDlgItem(page_, id);
}

HWND Kivocfg::ApplyButton() const {
  return GetDlgItem(sheet_, kApplyButton);
}

bool Kivocfg::Apply() {
  HWND apply = ApplyButton();
  // The edit that enables it may still be on its way through the queue.
  if (!Eventually([&] { return IsWindowEnabled(apply) != FALSE; }, 5000)) return false;
  Click(apply);
  return Eventually([&] { return !IsWindowEnabled(apply); });
}

bool Kivocfg::Ok() {
  Click(GetDlgItem(sheet_, IDOK));
  return WaitForExit();
}

bool Kivocfg::Cancel() {
  Click(GetDlgItem(sheet_, IDCANCEL));
  return WaitForExit();
}

}  // namespace kivo::testing
