#include "tool/Filters.h"

#include "config/RegistryConfig.h"

namespace kivo::tool {

Filters::Filters(platform::Registry& registry) : registry_(registry) {}

void Filters::Load() {
  rows_.clear();
  config::RegistryConfig config(registry_, config::names::kFilters);
  const std::uint32_t count = config.CountSubkeys();
  try {
    for (std::uint32_t i = 0; i < count; ++i) {
      config.OpenEntry(static_cast<std::int32_t>(i));
      rows_.push_back(FilterRow{config.GetFilterOn(), "", ""});
      rows_.back().type = config.GetFilterType();
      rows_.back().list = config.GetFilterList();
    }
  } catch (const config::RegistryReadError&) {
    // The list ends at the first filter that cannot be read.
  }
}

void Filters::Save() {
  config::RegistryConfig config(registry_, config::names::kFilters);
  config.ClearFilters();
  for (const FilterRow& row : rows_) config.AddFilter(row.on, row.type, row.list);
}

void Filters::Replace(std::size_t index, const FilterRow& row) {
  if (index < rows_.size()) rows_[index] = row;
}

void Filters::Remove(std::size_t index) {
  if (index < rows_.size()) rows_.erase(rows_.begin() + static_cast<std::ptrdiff_t>(index));
}

}  // namespace kivo::tool
