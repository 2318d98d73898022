#include "snmp/DottedText.h"

#include <limits>

namespace kivo::snmp {
namespace {

constexpr std::uint64_t kMaxComponent = std::numeric_limits<std::uint32_t>::max();

bool IsWhiteSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

}  // namespace

bool DottedText::Next(std::uint32_t* value) {
  const char* p = position_;
  const char* const end = end_;
  while (p < end && *p == '.') ++p;
  if (p == end) {
    position_ = p;
    return false;
  }
  while (p < end && IsWhiteSpace(*p)) ++p;
  bool negative = false;
  if (p < end && (*p == '+' || *p == '-')) negative = *p++ == '-';
  std::uint64_t magnitude = 0;
  while (p < end && static_cast<unsigned char>(*p - '0') <= 9) {
    magnitude = magnitude * 10 + static_cast<unsigned char>(*p++ - '0');
    if (magnitude > kMaxComponent) {
      // Saturated: the rest of the component does not matter.
      while (p < end && *p != '.') ++p;
      position_ = p;
      *value = static_cast<std::uint32_t>(kMaxComponent);
      return true;
    }
  }
  while (p < end && *p != '.') ++p;
  position_ = p;
  const std::uint32_t number = static_cast<std::uint32_t>(magnitude);
  *value = negative ? 0u - number : number;
  return true;
}

std::uint32_t DottedText::ParseComponent(std::string_view component) {
  // A component never holds a dot; cut at one so that the reader sees a
  // single component.
  DottedText reader(component.substr(0, component.find('.')));
  std::uint32_t value = 0;
  return reader.Next(&value) ? value : 0;
}

}  // namespace kivo::snmp
