#pragma once

#include <algorithm>
#include <cctype>
#include <string>

namespace kivo::platform {

// A name in upper case: how the in-memory backends compare the names that
// Windows compares without regard to case (keys, values, event sources).
inline std::string UpperCase(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  return text;
}

}  // namespace kivo::platform
