#pragma once

// Everything of the store that a legacy import may write, read back through
// the store itself, for tests that compare it with what a file said.

#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "config/RegistryConfig.h"
#include "platform/Registry.h"
#include "tool/Filters.h"

namespace kivo::testing {

struct StoredConfig {
  std::int32_t version = 0;
  std::string destination;
  std::int32_t port = 161;  // what a legacy file without "Port:" gives
  std::string community;
  std::vector<tool::FilterRow> filters;  // by entry number
  std::set<std::string> maps;
};

// Throws config::RegistryReadError when a value cannot be read back.
inline StoredConfig ReadStore(platform::Registry& registry) {
  config::RegistryConfig store(registry, nullptr);
  StoredConfig stored;
  stored.version = store.GetSnmpVersion();
  stored.destination = store.GetDestination();
  stored.port = store.GetPort();
  stored.community = store.GetCommunity();
  store.Open(config::names::kFilters);
  const std::uint32_t filters = store.CountSubkeys();
  for (std::uint32_t i = 0; i < filters; ++i) {
    store.OpenEntry(static_cast<std::int32_t>(i));
    stored.filters.push_back({store.GetFilterOn(), store.GetFilterType(), store.GetFilterList()});
    store.Open(config::names::kFilters);
  }
  store.Open(config::names::kMaps);
  for (std::uint32_t i = 0; i < store.CountSubkeys(); ++i) stored.maps.insert(store.SubkeyName(i));
  return stored;
}

}  // namespace kivo::testing
