#include "platform/win32/Win32AnsiText.h"

#include <windows.h>

#include <climits>

namespace kivo::platform {

void Win32AnsiText::AppendUtf8(std::string_view ansi, std::string& utf8) {
  if (ansi.empty() || ansi.size() > INT_MAX / 3) return;
  const int length = static_cast<int>(ansi.size());
  // One UTF-16 unit per ANSI byte at most, and three UTF-8 bytes per unit.
  if (wide_.size() < ansi.size()) wide_.resize(ansi.size());
  const int units = MultiByteToWideChar(CP_ACP, 0, ansi.data(), length, wide_.data(), length);
  if (units <= 0) return;
  const std::size_t start = utf8.size();
  utf8.resize(start + static_cast<std::size_t>(units) * 3);
  const int bytes = WideCharToMultiByte(CP_UTF8, 0, wide_.data(), units, &utf8[start], units * 3,
                                        nullptr, nullptr);
  utf8.resize(start + static_cast<std::size_t>(bytes > 0 ? bytes : 0));
}

}  // namespace kivo::platform
