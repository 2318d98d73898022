#pragma once

#include <cstdint>
#include <string>

namespace kivo::tool {

// Reads a number the way every number field of the tool and the legacy file
// are read: leading blanks, an optional sign, then the longest run of decimal
// digits; whatever follows is ignored and a text without digits gives 0. A
// number beyond the 32-bit range gives the nearest 32-bit value rather than
// wrapping around to a different one.
std::int32_t TextToNumber(const std::string& text);

}  // namespace kivo::tool
