#pragma once

#include <string>
#include <string_view>

namespace kivo::platform::evt {

// Conversions between the encodings an event record meets: UTF-16LE in .evt
// files, Windows-1252 in ANSI records and command lines that are not UTF-8,
// and UTF-8 on the command line and in dumps. (Into the ANSI code pages:
// platform/CodePage.h.)

std::u16string Cp1252ToUtf16(std::string_view text);
// Malformed UTF-8 sequences become U+FFFD.
std::u16string Utf8ToUtf16(std::string_view text);
std::string Utf16ToUtf8(std::u16string_view text);
bool IsValidUtf8(std::string_view text);

}  // namespace kivo::platform::evt
