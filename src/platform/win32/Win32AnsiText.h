#pragma once

#include <vector>

#include "platform/AnsiText.h"

namespace kivo::platform {

// MultiByteToWideChar from the ANSI code page (CP_ACP), then
// WideCharToMultiByte to UTF-8.
class Win32AnsiText : public AnsiText {
 public:
  void AppendUtf8(std::string_view ansi, std::string& utf8) override;

 private:
  std::vector<wchar_t> wide_;  // kept between calls
};

}  // namespace kivo::platform
