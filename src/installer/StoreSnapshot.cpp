#include "installer/StoreSnapshot.h"

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <map>
#include <memory>

#include "installer/ActionData.h"

namespace kivo::installer {

namespace {

namespace names = config::names;
using platform::kErrorFileNotFound;
using platform::kRegSuccess;
using platform::RegistryKey;
using platform::RegStatus;

constexpr const char* kLists[] = {names::kFilters, names::kMaps, names::kSyslog};
constexpr char kVendorEntry[] = "vendor";
constexpr char kKeyEntry[] = "key:";
constexpr char kValueEntry[] = "value:";

const std::vector<const char*>& AllValues() {
  static const std::vector<const char*> all(std::begin(names::kAllValues),
                                            std::end(names::kAllValues));
  return all;
}

std::string Join(const std::string& parent, const std::string& name) {
  return parent.empty() ? name : parent + "\\" + name;
}

std::string FullPath(const std::string& sub) {
  return sub.empty() ? std::string(names::kRootPath) : Join(names::kRootPath, sub);
}

// The parent of a full path and its last name: "SOFTWARE\Tarvenor", "Kivo".
std::pair<std::string, std::string> Split(const std::string& path) {
  const std::size_t cut = path.rfind('\\');
  return {path.substr(0, cut), path.substr(cut + 1)};
}

std::vector<std::string> SubkeyNames(const RegistryKey& key) {
  std::vector<std::string> found;
  char name[config::RegistryConfig::kSubkeyNameBufferSize];
  for (std::uint32_t i = 0; key.SubkeyName(i, name, sizeof(name)) == kRegSuccess; ++i) {
    found.emplace_back(name);
  }
  return found;
}

bool IsEntry(const std::string& name) {
  return config::EntryNumber(name).has_value();
}

// A path a snapshot may hold: the root, a list key or one of its entries.
bool IsStorePath(const std::string& path) {
  if (path.empty()) return true;
  for (const char* list : kLists) {
    const std::string prefix = std::string(list) + "\\";
    if (path == list || (path.rfind(prefix, 0) == 0 && IsEntry(path.substr(prefix.size())))) {
      return true;
    }
  }
  return false;
}

// True when the text begins with the prefix; *rest is what follows it.
bool After(const std::string& text, const char* prefix, std::string* rest) {
  const std::size_t length = std::char_traits<char>::length(prefix);
  if (text.compare(0, length, prefix) != 0) return false;
  *rest = text.substr(length);
  return true;
}

RegStatus IgnoreMissing(RegStatus status) {
  return status == kErrorFileNotFound ? kRegSuccess : status;
}

// Deletes a key with everything below it.
RegStatus DeleteTree(platform::Registry& registry, const std::string& path) {
  std::unique_ptr<RegistryKey> key;
  if (RegStatus opened = registry.Open(path, &key)) return IgnoreMissing(opened);
  config::WriteResult deleted;
  for (const std::string& name : SubkeyNames(*key))
    deleted.Add(DeleteTree(registry, Join(path, name)));
  key.reset();
  const auto [parent_path, name] = Split(path);
  std::unique_ptr<RegistryKey> parent;
  if (RegStatus opened = registry.Open(parent_path, &parent)) return IgnoreMissing(opened);
  deleted.Add(IgnoreMissing(parent->DeleteSubkey(name)));
  return deleted.error();
}

// Deletes a key that the install created, unless it holds a key now (the
// service's "Positions", another vendor's product).
RegStatus DeleteIfNoSubkeys(platform::Registry& registry, const std::string& path) {
  std::unique_ptr<RegistryKey> key;
  if (RegStatus opened = registry.Open(path, &key)) return IgnoreMissing(opened);
  std::uint32_t count = 0;
  if (RegStatus counted = key->CountSubkeys(&count)) return counted;
  key.reset();
  return count == 0 ? DeleteTree(registry, path) : kRegSuccess;
}

std::string Hex(const std::vector<unsigned char>& bytes) {
  static const char kDigits[] = "0123456789abcdef";
  std::string text;
  for (unsigned char byte : bytes) {
    text += kDigits[byte >> 4];
    text += kDigits[byte & 0xF];
  }
  return text;
}

std::optional<std::vector<unsigned char>> FromHex(const std::string& text) {
  auto digit = [](char c) -> int {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
  };
  if (text.size() % 2 != 0) return std::nullopt;
  std::vector<unsigned char> bytes;
  for (std::size_t i = 0; i < text.size(); i += 2) {
    const int high = digit(text[i]);
    const int low = digit(text[i + 1]);
    if (high < 0 || low < 0) return std::nullopt;
    bytes.push_back(static_cast<unsigned char>(high << 4 | low));
  }
  return bytes;
}

// "<type>:<hex bytes>" into a value of that name.
std::optional<config::StoredValue> DecodeValue(const std::string& name, const std::string& text) {
  const std::size_t colon = text.find(':');
  const std::optional<std::int32_t> type =
      colon == std::string::npos ? std::nullopt : config::EntryNumber(text.substr(0, colon));
  const bool known = std::find_if(AllValues().begin(), AllValues().end(), [&](const char* known) {
                       return name == known;
                     }) != AllValues().end();
  if (!type || !known) return std::nullopt;
  std::optional<std::vector<unsigned char>> bytes = FromHex(text.substr(colon + 1));
  if (!bytes) return std::nullopt;
  return config::StoredValue{name, static_cast<platform::RegType>(*type), std::move(*bytes)};
}

}  // namespace

TakenSnapshot TakeStoreSnapshot(platform::Registry& registry) {
  TakenSnapshot taken;
  std::unique_ptr<RegistryKey> key;
  taken.snapshot.vendor_existed = registry.Open(Split(names::kRootPath).first, &key) == kRegSuccess;
  // Reads one key into the snapshot; false when it does not exist.
  auto take = [&](const std::string& path, std::unique_ptr<RegistryKey>* opened) {
    const RegStatus status = registry.Open(FullPath(path), opened);
    if (status == kRegSuccess) {
      taken.snapshot.keys.push_back({path, config::ReadStoredValues(**opened, AllValues())});
    } else if (status != kErrorFileNotFound && taken.error == kRegSuccess) {
      taken.error = status;
    }
    return status == kRegSuccess;
  };
  if (!take("", &key)) return taken;
  for (const char* list : kLists) {
    std::unique_ptr<RegistryKey> list_key;
    if (!take(list, &list_key)) continue;
    for (const std::string& name : SubkeyNames(*list_key)) {
      std::unique_ptr<RegistryKey> entry;
      if (IsEntry(name)) take(Join(list, name), &entry);
    }
  }
  return taken;
}

std::string EncodeStoreSnapshot(const StoreSnapshot& snapshot) {
  ActionData data;
  if (snapshot.vendor_existed) data[kVendorEntry] = "";
  for (const StoreSnapshot::Key& key : snapshot.keys) {
    data[kKeyEntry + key.path] = "";
    for (const config::StoredValue& value : key.values) {
      data[kValueEntry + key.path + ":" + value.name] =
          std::to_string(static_cast<std::uint32_t>(value.type)) + ":" + Hex(value.bytes);
    }
  }
  return EncodeActionData(data);
}

std::optional<StoreSnapshot> DecodeStoreSnapshot(const std::string& text) {
  const std::optional<ActionData> data = DecodeActionData(text);
  if (!data) return std::nullopt;
  StoreSnapshot snapshot;
  std::map<std::string, config::StoredValues> keys;  // by path: the root first
  std::vector<std::pair<std::string, config::StoredValue>> values;
  for (const auto& [entry, content] : *data) {
    std::string rest;
    if (entry == kVendorEntry && content.empty()) {
      snapshot.vendor_existed = true;
    } else if (After(entry, kKeyEntry, &rest) && content.empty() && IsStorePath(rest)) {
      keys[rest];
    } else if (After(entry, kValueEntry, &rest) && rest.find(':') != std::string::npos) {
      const std::size_t colon = rest.rfind(':');
      std::optional<config::StoredValue> value = DecodeValue(rest.substr(colon + 1), content);
      if (!value) return std::nullopt;
      values.emplace_back(rest.substr(0, colon), std::move(*value));
    } else {
      return std::nullopt;
    }
  }
  for (auto& [path, value] : values) {
    const auto key = keys.find(path);
    if (key == keys.end()) return std::nullopt;
    key->second.push_back(std::move(value));
  }
  for (auto& [path, stored] : keys) snapshot.keys.push_back({path, std::move(stored)});
  return snapshot;
}

RegStatus RestoreStoreSnapshot(platform::Registry& registry, const StoreSnapshot& snapshot) {
  const auto kept = [&](const std::string& path) {
    return std::any_of(snapshot.keys.begin(), snapshot.keys.end(),
                       [&](const StoreSnapshot::Key& key) { return key.path == path; });
  };
  config::WriteResult restored;
  // What the snapshot lacks: list keys and their numbered entries.
  for (const char* list : kLists) {
    std::unique_ptr<RegistryKey> list_key;
    if (registry.Open(FullPath(list), &list_key) != kRegSuccess) continue;
    const std::vector<std::string> entries = SubkeyNames(*list_key);
    list_key.reset();
    if (!kept(list)) {
      restored.Add(DeleteTree(registry, FullPath(list)));
      continue;
    }
    for (const std::string& name : entries) {
      if (IsEntry(name) && !kept(Join(list, name))) {
        restored.Add(DeleteTree(registry, FullPath(Join(list, name))));
      }
    }
  }
  // Its keys with exactly its values of the store's names.
  for (const StoreSnapshot::Key& key : snapshot.keys) {
    std::unique_ptr<RegistryKey> target;
    if (RegStatus created = registry.Create(FullPath(key.path), &target)) {
      restored.Add(created);
      continue;
    }
    restored.Add(config::WriteStoredValues(*target, key.values));
    for (const char* name : AllValues()) {
      const bool held = std::any_of(key.values.begin(), key.values.end(),
                                    [&](const config::StoredValue& v) { return v.name == name; });
      if (!held) restored.Add(IgnoreMissing(target->DeleteValue(name)));
    }
  }
  if (snapshot.keys.empty()) {
    // A store the install created: its values go, and the key itself unless
    // something else now lives in it.
    std::unique_ptr<RegistryKey> root;
    if (registry.Open(names::kRootPath, &root) == kRegSuccess) {
      for (const char* name : AllValues()) restored.Add(IgnoreMissing(root->DeleteValue(name)));
    }
    root.reset();
    restored.Add(DeleteIfNoSubkeys(registry, names::kRootPath));
    if (!snapshot.vendor_existed) {
      restored.Add(DeleteIfNoSubkeys(registry, Split(names::kRootPath).first));
    }
  }
  return restored.error();
}

}  // namespace kivo::installer
