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

}  // namespace kivo::snmp
