#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "platform/Registry.h"

namespace kivo::tool {

// One filter as the page lists it: the event field, the type and the list.
struct FilterRow {
  std::string on;
  std::string type;
  std::string list;

  bool operator==(const FilterRow& other) const {
    return on == other.on && type == other.type && list == other.list;
  }
};

// The Filters page's model: its rows, loaded from and saved to "Filters".
class Filters {
 public:
  explicit Filters(platform::Registry& registry);

  // Reads entries 0, 1, ... of "Filters"; the first read that fails ends
  // the list (the row being read keeps what was read before the failure).
  void Load();
  // Clears "Filters" and adds the rows top to bottom; the store drops rows
  // that repeat the field and type of a row above them.
  void Save();

  const std::vector<FilterRow>& rows() const { return rows_; }
  void Append(const FilterRow& row) { rows_.push_back(row); }
  void Replace(std::size_t index, const FilterRow& row);
  void Remove(std::size_t index);

 private:
  platform::Registry& registry_;
  std::vector<FilterRow> rows_;
};

}  // namespace kivo::tool
