#pragma once

#include <string>
#include <vector>

#include "config/RegistryConfig.h"

namespace kivo::tool {

// Adds a list page's rows after the list was cleared: first every row the
// page can write, top to bottom (`add_row`), then every entry it keeps, as
// stored. The kept entries go last because the service ends its syslog list
// at an entry it cannot read: it still reaches every other destination. The
// first failure ends the adding.
template <typename Row, typename AddRow>
platform::RegStatus AddRowsThenKeptEntries(config::RegistryConfig& config, const char* list,
                                           const std::vector<Row>& rows, AddRow add_row) {
  platform::RegStatus error = platform::kRegSuccess;
  for (const Row& row : rows) {
    if (!row.kept && error == platform::kRegSuccess) error = add_row(row);
  }
  for (const Row& row : rows) {
    if (row.kept && error == platform::kRegSuccess) error = config.AddStoredEntry(list, *row.kept);
  }
  return error;
}

// How a list page marks the row of an entry it could not read in full.
constexpr char kUnreadableMark[] = "(unreadable)";
inline std::string MarkedUnreadable(const std::string& text) {
  return text.empty() ? kUnreadableMark : text + " " + kUnreadableMark;
}

}  // namespace kivo::tool
