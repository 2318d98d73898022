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
  while (position_ < text_.size() && text_[position_] == '.') ++position_;
  if (position_ >= text_.size()) return false;
  std::size_t end = text_.find('.', position_);
  if (end == std::string_view::npos) end = text_.size();
  *value = ParseComponent(text_.substr(position_, end - position_));
  position_ = end;
  return true;
}

std::uint32_t DottedText::ParseComponent(std::string_view component) {
  std::size_t i = 0;
  while (i < component.size() && IsWhiteSpace(component[i])) ++i;
  bool negative = false;
  if (i < component.size() && (component[i] == '+' || component[i] == '-')) {
    negative = component[i] == '-';
    ++i;
  }
  std::uint64_t magnitude = 0;
  for (; i < component.size() && component[i] >= '0' && component[i] <= '9'; ++i) {
    magnitude = magnitude * 10 + static_cast<std::uint64_t>(component[i] - '0');
    if (magnitude > kMaxComponent) return static_cast<std::uint32_t>(kMaxComponent);
  }
  const std::uint32_t value = static_cast<std::uint32_t>(magnitude);
  return negative ? 0u - value : value;
}

}  // namespace kivo::snmp
