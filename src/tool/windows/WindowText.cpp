#include "tool/windows/WindowText.h"

#include <vector>

#include "platform/win32/Win32Messages.h"

namespace kivo::tool::windows {

std::string WindowText(HWND window) {
  const int length = GetWindowTextLengthA(window);
  if (length <= 0) return std::string();
  std::vector<char> buffer(static_cast<std::size_t>(length) + 1, '\0');
  const int copied = GetWindowTextA(window, buffer.data(), length + 1);
  return std::string(buffer.data(), copied > 0 ? static_cast<std::size_t>(copied) : 0);
}

std::string ItemText(HWND dialog, int id) {
  return WindowText(GetDlgItem(dialog, id));
}

void SetItemText(HWND dialog, int id, const std::string& text) {
  SetDlgItemTextA(dialog, id, text.c_str());
}

const char* ProgramCaption() {
  static std::string caption;
  if (caption.empty()) {
    char path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameA(nullptr, path, sizeof(path));
    std::string name(path, length < sizeof(path) ? length : 0);
    const std::size_t slash = name.find_last_of("\\/");
    if (slash != std::string::npos) name.erase(0, slash + 1);
    const std::size_t dot = name.find_last_of('.');
    if (dot != std::string::npos) name.erase(dot);
    caption = name.empty() ? "kivocfg" : name;
  }
  return caption.c_str();
}

int ShowMessage(HWND owner, const std::string& text, UINT type) {
  return MessageBoxA(owner, text.c_str(), ProgramCaption(), type);
}

std::string SaveMessage(const SaveResult& result) {
  if (!result.refusal.empty()) return result.refusal;
  if (result.error == ERROR_SUCCESS) return std::string();
  platform::Win32Messages messages;
  return SaveFailedMessage(
      platform::SystemErrorText(messages, static_cast<std::uint32_t>(result.error)));
}

bool ReportSave(HWND owner, const SaveResult& result) {
  const std::string message = SaveMessage(result);
  if (!message.empty()) ShowMessage(owner, message);
  return message.empty();
}

}  // namespace kivo::tool::windows
