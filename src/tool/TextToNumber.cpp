#include "tool/TextToNumber.h"

#include <limits>

namespace kivo::tool {

namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// Converts text[*pos...] (sign and digits) and moves *pos behind the digits.
// *digits counts the digits taken.
std::int32_t ConvertFrom(const std::string& text, std::size_t* pos, std::size_t* digits) {
  std::size_t i = *pos;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  // The magnitude is kept one above the largest positive value so that the
  // most negative number fits; anything larger saturates.
  constexpr std::int64_t kLimit = std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1;
  std::int64_t magnitude = 0;
  std::size_t count = 0;
  for (; i < text.size() && IsDigit(text[i]); ++i, ++count) {
    if (magnitude <= kLimit) magnitude = magnitude * 10 + (text[i] - '0');
  }
  if (magnitude > kLimit) magnitude = kLimit;
  *digits = count;
  if (count == 0) return 0;
  *pos = i;
  if (negative) return static_cast<std::int32_t>(-magnitude);
  if (magnitude == kLimit) return std::numeric_limits<std::int32_t>::max();
  return static_cast<std::int32_t>(magnitude);
}

std::size_t SkipBlanks(const std::string& text, std::size_t pos) {
  while (pos < text.size() && IsBlank(text[pos])) ++pos;
  return pos;
}

}  // namespace

std::int32_t TextToNumber(const std::string& text) {
  std::size_t pos = SkipBlanks(text, 0);
  std::size_t digits = 0;
  return ConvertFrom(text, &pos, &digits);
}

bool ParseWholeNumber(const std::string& text, std::int32_t* number) {
  std::size_t pos = SkipBlanks(text, 0);
  std::size_t digits = 0;
  std::int32_t value = ConvertFrom(text, &pos, &digits);
  if (digits == 0 || SkipBlanks(text, pos) != text.size()) return false;
  *number = value;
  return true;
}

std::optional<std::int32_t> ParsePort(const std::string& text) {
  constexpr std::int32_t kHighestPort = 65535;
  std::int32_t port = 0;
  if (!ParseWholeNumber(text, &port) || port < 1 || port > kHighestPort) return std::nullopt;
  return port;
}

}  // namespace kivo::tool
