#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kivo::platform {

// Code pages of the system's ANSI text, as ReadEventLogA returns strings in
// the one the system uses: Windows-1252 on a western system, 1251 on a
// Cyrillic one, 932 on a Japanese one.
constexpr std::uint32_t kWindows1252 = 1252;

// UTF-16 text in an ANSI code page (WideCharToMultiByte, no best-fit
// substitutes): a character the page lacks becomes "?", each half of a
// surrogate pair included. A page the system does not know keeps ASCII and
// makes every other character "?".
std::string ToCodePage(std::uint32_t code_page, std::u16string_view text);

}  // namespace kivo::platform
