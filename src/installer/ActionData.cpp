#include "installer/ActionData.h"

#include <cctype>

namespace kivo::installer {

std::string EncodeActionData(const ActionData& data) {
  std::string text;
  for (const auto& [name, value] : data) {
    text += name + '=' + std::to_string(value.size()) + ':' + value;
  }
  return text;
}

std::optional<ActionData> DecodeActionData(const std::string& text) {
  ActionData data;
  std::string::size_type at = 0;
  while (at < text.size()) {
    const auto equals = text.find('=', at);
    const auto colon = equals == std::string::npos ? equals : text.find(':', equals);
    if (colon == std::string::npos || equals == at || colon == equals + 1 || colon - equals > 10) {
      return std::nullopt;
    }
    std::string::size_type length = 0;
    for (auto i = equals + 1; i < colon; ++i) {
      if (!std::isdigit(static_cast<unsigned char>(text[i]))) {
        return std::nullopt;
      }
      length = length * 10 + static_cast<std::string::size_type>(text[i] - '0');
    }
    if (length > text.size() - colon - 1) {
      return std::nullopt;
    }
    data[text.substr(at, equals - at)] = text.substr(colon + 1, length);
    at = colon + 1 + length;
  }
  return data;
}

std::string FormattedLiteral(const std::string& text) {
  std::string literal;
  for (char c : text) {
    if (c == '[' || c == ']' || c == '{' || c == '}') {
      literal += std::string("[\\") + c + ']';
    } else {
      literal += c;
    }
  }
  return literal;
}

}  // namespace kivo::installer
