#include "tool/Filters.h"

namespace kivo::tool {

Filters::Filters(platform::Registry& registry) : registry_(registry) {}

void Filters::Load() {
  namespace names = config::names;
  rows_.clear();
  config::RegistryConfig config(registry_, names::kFilters);
  config.Open(names::kFilters);
  for (const std::string& name : config.EntryNames(config.CountSubkeys())) {
    config.Open(names::kFilters);
    config.Open(name.c_str(), true);
    const auto on = config::TryRead([&] { return config.GetFilterOn(); });
    const auto type = config::TryRead([&] { return config.GetFilterType(); });
    const auto list = config::TryRead([&] { return config.GetFilterList(); });
    FilterRow row{on.value_or(""), type.value_or(""), list.value_or("")};
    if (!on || !type || !list) {
      row.kept =
          config.ReadStoredValues({names::kFilterOn, names::kFilterType, names::kFilterList});
    }
    rows_.push_back(std::move(row));
  }
}

platform::RegStatus Filters::Save() {
  config::RegistryConfig config(registry_, config::names::kFilters);
  if (platform::RegStatus error = config.ClearFilters()) return error;
  // Every row in its place: the service applies every filter entry there is,
  // so a kept one need not go last.
  for (const FilterRow& row : rows_) {
    const platform::RegStatus error =
        row.kept ? config.AddStoredEntry(config::names::kFilters, *row.kept)
                 : config.AppendFilter(row.on, row.type, row.list).error;
    if (error != platform::kRegSuccess) return error;
  }
  return platform::kRegSuccess;
}

void Filters::Replace(std::size_t index, const FilterRow& row) {
  if (index < rows_.size()) rows_[index] = row;
}

void Filters::Remove(std::size_t index) {
  if (index < rows_.size()) rows_.erase(rows_.begin() + static_cast<std::ptrdiff_t>(index));
}

}  // namespace kivo::tool
