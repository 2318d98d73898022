#pragma once

// The legacy file that the import is documented with, the store it
// gives (version 1, both texts, port 2162, two filters, the second without a
// list, and three mapped ids) and the comparison of a store with it.

#include <gtest/gtest.h>

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

// Compares the store with what a file should have given, value by value.
inline void ExpectStore(const StoredConfig& expected, platform::Registry& registry) {
  StoredConfig stored;
  try {
    stored = ReadStore(registry);
  } catch (const config::RegistryReadError& error) {
    ADD_FAILURE() << error.what();
    return;
  }
  EXPECT_EQ(expected.version, stored.version);
  EXPECT_EQ(expected.destination, stored.destination);
  EXPECT_EQ(expected.port, stored.port);
  EXPECT_EQ(expected.community, stored.community);
  EXPECT_EQ(expected.filters, stored.filters);
  EXPECT_EQ(expected.maps, stored.maps);
}

}  // namespace kivo::testing
