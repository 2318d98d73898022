#pragma once

#include <cstdint>
#include <string_view>

namespace kivo::snmp {

// Reads the numeric components of dotted text one by one, as OID and IP
// address texts are read: the text is split at '.', runs of dots count as
// one and leading or trailing dots are ignored. Each component is read as a
// 32-bit strtoul would: leading white space, an optional sign, then digits up
// to the first non-digit (a component without digits is 0). A negative
// component wraps modulo 2^32 ("-1" is 4294967295); a magnitude beyond
// 4294967295 saturates there.
class DottedText {
 public:
  explicit DottedText(std::string_view text)
      : position_(text.data()), end_(text.data() + text.size()) {}

  // The next component's value; false when there is none left.
  bool Next(std::uint32_t* value);

  // The value of one component on its own.
  static std::uint32_t ParseComponent(std::string_view component);

 private:
  const char* position_;
  const char* end_;
};

constexpr std::uint64_t kMaxDottedComponent = 0xFFFFFFFFu;

inline bool IsDottedWhiteSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// Inline: it runs once per component of every OID of every trap.
inline bool DottedText::Next(std::uint32_t* value) {
  const char* p = position_;
  const char* const end = end_;
  while (p < end && *p == '.') ++p;
  if (p == end) {
    position_ = p;
    return false;
  }
  bool negative = false;
  if (static_cast<unsigned char>(*p - '0') > 9) {  // not the usual bare digits
    while (p < end && IsDottedWhiteSpace(*p)) ++p;
    if (p < end && (*p == '+' || *p == '-')) negative = *p++ == '-';
  }
  std::uint64_t magnitude = 0;
  while (p < end && static_cast<unsigned char>(*p - '0') <= 9) {
    magnitude = magnitude * 10 + static_cast<unsigned char>(*p++ - '0');
    if (magnitude > kMaxDottedComponent) {
      // Saturated: the rest of the component does not matter.
      while (p < end && *p != '.') ++p;
      position_ = p;
      *value = static_cast<std::uint32_t>(kMaxDottedComponent);
      return true;
    }
  }
  while (p < end && *p != '.') ++p;
  position_ = p;
  const std::uint32_t number = static_cast<std::uint32_t>(magnitude);
  *value = negative ? 0u - number : number;
  return true;
}

}  // namespace kivo::snmp
