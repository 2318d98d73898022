#pragma once

#include <map>
#include <optional>
#include <string>

namespace kivo::installer {

// Named texts carried in one string from the installer's immediate phase to
// its deferred phase, where only that one string can be read. Each text is
// length-prefixed ("NAME=5:value"), so a value may hold any character.
using ActionData = std::map<std::string, std::string>;

std::string EncodeActionData(const ActionData& data);

// Nothing when the string is not a sequence of such entries.
std::optional<ActionData> DecodeActionData(const std::string& text);

// A text for an installer message, escaped so that it shows as it is: the
// installer formats a message after it has put its fields in, so a value
// given as "[COMMUNITY]" would otherwise show that property.
std::string FormattedLiteral(const std::string& text);

}  // namespace kivo::installer
