#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "config/RegistryConfig.h"
#include "platform/Registry.h"

namespace kivo::tool {

// One filter as the page lists it: the event field, the type and the list.
struct FilterRow {
  std::string on;
  std::string type;
  std::string list;
  // Set for a stored entry that could not be read in full (the texts then
  // hold what could be read): its values exactly as stored, which a save
  // keeps unchanged.
  std::optional<config::StoredValues> kept = std::nullopt;

  bool operator==(const FilterRow& other) const {
    return on == other.on && type == other.type && list == other.list &&
           kept.has_value() == other.kept.has_value();
  }
};

// The Filters page's model: its rows, loaded from and saved to "Filters".
class Filters {
 public:
  explicit Filters(platform::Registry& registry);

  // Lists every entry of "Filters" in number order, gaps included; an entry
  // that cannot be read in full is listed as kept. Writes nothing.
  void Load();
  // Clears "Filters" and stores every row top to bottom, numbered from 0:
  // a kept entry as stored, and a row that repeats the field and type of
  // another as well. The first failed write ends the save.
  platform::RegStatus Save();

  const std::vector<FilterRow>& rows() const { return rows_; }
  void Append(const FilterRow& row) { rows_.push_back(row); }
  void Replace(std::size_t index, const FilterRow& row);
  void Remove(std::size_t index);

 private:
  platform::Registry& registry_;
  std::vector<FilterRow> rows_;
};

}  // namespace kivo::tool
