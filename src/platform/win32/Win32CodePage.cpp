#include <windows.h>

#include "platform/CodePage.h"

namespace kivo::platform {

std::string ToCodePage(std::uint32_t code_page, std::u16string_view text) {
  const auto* wide = reinterpret_cast<const wchar_t*>(text.data());
  const auto length = static_cast<int>(text.size());
  const int needed =
      WideCharToMultiByte(code_page, WC_NO_BEST_FIT_CHARS, wide, length, nullptr, 0, "?", nullptr);
  if (needed <= 0) {
    std::string ascii;
    for (char16_t unit : text) ascii += unit < 0x80 ? static_cast<char>(unit) : '?';
    return ascii;
  }
  std::string out(static_cast<std::size_t>(needed), '\0');
  WideCharToMultiByte(code_page, WC_NO_BEST_FIT_CHARS, wide, length, out.data(), needed, "?",
                      nullptr);
  return out;
}

}  // namespace kivo::platform
