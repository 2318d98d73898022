#include "tool/StoredList.h"

#include <algorithm>
#include <cstdint>
#include <limits>

namespace kivo::tool {

namespace {

// The number a subkey name stands for; names that are no decimal number
// come after every number.
std::uint64_t NumberOf(const std::string& name) {
  constexpr std::uint64_t kNoNumber = std::numeric_limits<std::uint64_t>::max();
  if (name.empty() || name.size() > 10) return kNoNumber;
  std::uint64_t number = 0;
  for (char c : name) {
    if (c < '0' || c > '9') return kNoNumber;
    number = number * 10 + static_cast<std::uint64_t>(c - '0');
  }
  return number;
}

}  // namespace

std::vector<std::string> ListEntryNames(config::RegistryConfig& config, const char* list) {
  config.Open(list);
  std::vector<std::string> names;
  const std::uint32_t count = config.CountSubkeys();
  for (std::uint32_t i = 0; i < count; ++i) {
    std::string name = config.SubkeyName(i);
    if (!name.empty()) names.push_back(std::move(name));
  }
  std::stable_sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
    return NumberOf(a) < NumberOf(b);
  });
  return names;
}

}  // namespace kivo::tool
