#include "tool/windows/FilePicker.h"

#include <commdlg.h>

namespace kivo::tool::windows {

std::optional<std::string> PickFile(HWND owner, const char* filter, const char* title,
                                    const char* default_extension) {
  char file[MAX_PATH] = "";
  OPENFILENAMEA request = {};
  request.lStructSize = sizeof(request);
  request.hwndOwner = owner;
  request.lpstrFilter = filter;
  request.nFilterIndex = 1;
  request.lpstrFile = file;
  request.nMaxFile = sizeof(file);
  request.lpstrTitle = title;
  request.lpstrDefExt = default_extension;
  request.Flags = OFN_EXPLORER | OFN_HIDEREADONLY;
  if (!GetOpenFileNameA(&request)) return std::nullopt;
  return std::string(file);
}

}  // namespace kivo::tool::windows
