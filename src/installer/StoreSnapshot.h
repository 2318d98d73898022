#pragma once

#include <optional>
#include <string>
#include <vector>

#include "config/RegistryConfig.h"
#include "platform/Registry.h"

namespace kivo::installer {

// The store as an install found it, so that a failed install can put it
// back: every value of the store's names (config::names::kAllValues) in the
// root key, in the list keys "Filters", "Maps" and "Syslog" and in their
// numbered entries, exactly as stored. Other keys below the root, such as
// the service's "Positions", and entries not named by a number are no part
// of it: an install writes none of them, and a rollback leaves them alone.
struct StoreSnapshot {
  struct Key {
    std::string path;  // below the root key: "" for the root, "Syslog", "Syslog\\0"
    config::StoredValues values;
  };
  bool vendor_existed = false;  // "SOFTWARE\Tarvenor", which creating the store creates
  std::vector<Key> keys;        // the keys that existed, the root first; none without a store
};

// Reads the store as it is; the registry's error when it cannot be read
// (a store that does not exist is read as none).
struct TakenSnapshot {
  StoreSnapshot snapshot;
  platform::RegStatus error = platform::kRegSuccess;
};
TakenSnapshot TakeStoreSnapshot(platform::Registry& registry);

// One text, for the installer's action data, and back; nothing when the
// text is not one that EncodeStoreSnapshot made.
std::string EncodeStoreSnapshot(const StoreSnapshot& snapshot);
std::optional<StoreSnapshot> DecodeStoreSnapshot(const std::string& text);

// Puts the store back as the snapshot has it: numbered entries and list
// keys that it lacks are deleted, its keys and values are written back,
// values of the store's names that it lacks are deleted, and a store (and
// vendor key) that did not exist is removed unless something else, such as
// "Positions", now lives in it. Goes on past a failure and reports the
// first.
platform::RegStatus RestoreStoreSnapshot(platform::Registry& registry,
                                         const StoreSnapshot& snapshot);

}  // namespace kivo::installer
