#pragma once

#include <string_view>

#include "config/TraceFile.h"

namespace kivo::forwarding {

// The value list of a filter: tokens separated by commas. Blanks before a
// token are skipped, blanks after it are part of it. A token matches every
// value that begins with it, byte for byte with case significant, so "10"
// matches 10, 100 and 1024 and an empty token (a list ending with a comma)
// matches everything.
class FilterList {
 public:
  // True when a token of `list` matches `value`; writes the search's trace
  // lines.
  static bool Contains(std::string_view list, std::string_view value, config::TraceFile& trace);
};

}  // namespace kivo::forwarding
