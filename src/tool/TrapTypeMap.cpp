#include "tool/TrapTypeMap.h"

#include <algorithm>
#include <cctype>

#include "config/RegistryConfig.h"
#include "tool/TextLimits.h"
#include "tool/TextToNumber.h"

namespace kivo::tool {

namespace {

bool EqualIgnoringCase(const std::string& a, const std::string& b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) ==
                  std::tolower(static_cast<unsigned char>(y));
         });
}

}  // namespace

TrapTypeMap::TrapTypeMap(platform::Registry& registry) : registry_(registry) {}

void TrapTypeMap::Load() {
  entries_.clear();
  config::RegistryConfig config(registry_, config::names::kMaps);
  const std::uint32_t count = config.CountSubkeys();
  for (std::uint32_t i = 0; i < count; ++i) entries_.push_back(config.SubkeyName(i));
}

platform::RegStatus TrapTypeMap::Save() {
  config::RegistryConfig config(registry_, config::names::kMaps);
  platform::RegStatus error = config.ClearMaps();
  for (const std::string& entry : entries_) {
    if (error == platform::kRegSuccess) error = config.AddMap(TextToNumber(entry));
  }
  return error;
}

TrapTypeMap::AddResult TrapTypeMap::Add(const std::string& text) {
  // The service looks events up by the low 16 bits of their id, so a larger
  // number could never match; the field's length limit keeps the text short.
  const std::int32_t id = TextToNumber(text);
  if (text.size() > kMaxEventIdDigits || id < 0 || id > kMaxEventId) {
    return AddResult::kOutOfRange;
  }
  for (const std::string& entry : entries_) {
    if (EqualIgnoringCase(entry, text)) return AddResult::kDuplicate;
  }
  entries_.push_back(text);
  return AddResult::kAdded;
}

void TrapTypeMap::Remove(std::size_t index) {
  if (index < entries_.size())
    entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(index));
}

}  // namespace kivo::tool
