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
  const std::size_t size = text_.size();
  while (position_ < size && text_[position_] == '.') ++position_;
  if (position_ >= size) return false;
  // One pass over the component, as ParseComponent reads it.
  std::size_t i = position_;
  while (i < size && IsWhiteSpace(text_[i])) ++i;
  bool negative = false;
  if (i < size && (text_[i] == '+' || text_[i] == '-')) negative = text_[i++] == '-';
  std::uint64_t magnitude = 0;
  bool saturated = false;
  for (; i < size && text_[i] >= '0' && text_[i] <= '9'; ++i) {
    if (!saturated) {
      magnitude = magnitude * 10 + static_cast<std::uint64_t>(text_[i] - '0');
      saturated = magnitude > kMaxComponent;
    }
  }
  while (i < size && text_[i] != '.') ++i;
  position_ = i;
  if (saturated) {
    *value = static_cast<std::uint32_t>(kMaxComponent);
  } else {
    const std::uint32_t number = static_cast<std::uint32_t>(magnitude);
    *value = negative ? 0u - number : number;
  }
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
