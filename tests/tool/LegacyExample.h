#pragma once

// The legacy file that the import is documented with, and the store it
// gives: version 1, both texts, port 2162, two filters (the second without a
// list) and three mapped ids.

#include <string>
#include <vector>

#include "tool/StoredConfig.h"

namespace kivo::testing {

inline std::string ExampleLegacyFile(const std::string& line_end, bool last_line_ended = true) {
  const std::vector<std::string> lines = {"# settings of the old version",
                                          "Version: 1",
                                          "Destination: 127.0.0.1",
                                          "Port: 2162",
                                          "Community: s3cret",
                                          "Filter: EventSource",
                                          "FilterType: Exclude",
                                          "FilterList: Srv,Net",
                                          "Filter: EventId",
                                          "FilterType: Include",
                                          "Map: 6005",
                                          "Map: 6006",
                                          "Map: 7036"};
  std::string bytes;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    bytes += lines[i];
    if (i + 1 < lines.size() || last_line_ended) bytes += line_end;
  }
  return bytes;
}

inline StoredConfig ExampleLegacyStore() {
  StoredConfig expected;
  expected.version = 1;
  expected.destination = "127.0.0.1";
  expected.port = 2162;
  expected.community = "s3cret";
  expected.filters = {{"EventSource", "Exclude", "Srv,Net"}, {"EventId", "Include", ""}};
  expected.maps = {"6005", "6006", "7036"};
  return expected;
}

}  // namespace kivo::testing
