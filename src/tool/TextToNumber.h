#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace kivo::tool {

// The one conversion of typed or imported text to a number: leading blanks,
// an optional sign, then the longest run of decimal digits; a text without
// digits gives 0. Whatever follows the digits is ignored ("12ab" gives 12).
// A negative number comes out as itself, so that it is stored as its 32-bit
// two's complement. Digit runs beyond the 32-bit range saturate at the
// nearest end of the range instead of wrapping into an unrelated value.
std::int32_t TextToNumber(const std::string& text);

// True when the text is exactly one whole decimal number (optional sign,
// at least one digit), with blanks allowed before and after it and nothing
// else; *number then holds its value, saturated like TextToNumber.
bool ParseWholeNumber(const std::string& text, std::int32_t* number);

// A UDP port as typed: a whole number as above, from 1 to 65535.
std::optional<std::int32_t> ParsePort(const std::string& text);

}  // namespace kivo::tool
