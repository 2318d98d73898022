#include "platform/fake/FakeRegistry.h"

#include <cstring>

#include "platform/fake/UpperCase.h"

namespace kivo::platform {

namespace {

// Splits "A\B\C" into its names. A single trailing backslash addresses the
// key itself; an empty name anywhere else makes the path invalid.
bool SplitPath(const std::string& path, std::vector<std::string>* names) {
  names->clear();
  if (path.empty()) return true;
  std::string::size_type start = 0;
  while (start <= path.size()) {
    std::string::size_type end = path.find('\\', start);
    if (end == std::string::npos) end = path.size();
    std::string name = path.substr(start, end - start);
    if (name.empty()) return end == path.size() && !names->empty();
    names->push_back(name);
    start = end + 1;
  }
  return true;
}

struct Value {
  RegType type = RegType::kNone;
  std::vector<unsigned char> data;
};

}  // namespace

struct FakeRegistry::Node {
  std::string name;
  bool deleted = false;
  // Keyed by the upper-cased name, which is also the enumeration order.
  std::map<std::string, std::shared_ptr<Node>> subkeys;
  std::map<std::string, Value> values;
};

namespace {

using Node = FakeRegistry::Node;

class FakeRegistryKey : public RegistryKey {
 public:
  FakeRegistryKey(std::shared_ptr<Node> node, std::shared_ptr<const RegStatus> change_error)
      : node_(std::move(node)), change_error_(std::move(change_error)) {}

  RegStatus QueryValue(const std::string& name, RegType* type, void* buffer,
                       std::uint32_t* size) const override {
    if (node_->deleted) return kErrorKeyDeleted;
    auto it = node_->values.find(UpperCase(name));
    if (it == node_->values.end()) return kErrorFileNotFound;
    const Value& value = it->second;
    if (type != nullptr) *type = value.type;
    const auto needed = static_cast<std::uint32_t>(value.data.size());
    if (buffer == nullptr) {
      *size = needed;
      return kRegSuccess;
    }
    if (*size < needed) {
      *size = needed;
      return kErrorMoreData;
    }
    if (needed > 0) std::memcpy(buffer, value.data.data(), needed);
    *size = needed;
    return kRegSuccess;
  }

  RegStatus SetValue(const std::string& name, RegType type, const void* data,
                     std::uint32_t size) override {
    if (node_->deleted) return kErrorKeyDeleted;
    if (*change_error_ != kRegSuccess) return *change_error_;
    Value value;
    value.type = type;
    const auto* bytes = static_cast<const unsigned char*>(data);
    if (size > 0) value.data.assign(bytes, bytes + size);
    node_->values[UpperCase(name)] = std::move(value);
    return kRegSuccess;
  }

  RegStatus CountSubkeys(std::uint32_t* count) const override {
    *count = 0;
    if (node_->deleted) return kErrorKeyDeleted;
    *count = static_cast<std::uint32_t>(node_->subkeys.size());
    return kRegSuccess;
  }

  RegStatus SubkeyName(std::uint32_t index, char* buffer, std::uint32_t size) const override {
    if (node_->deleted) return kErrorKeyDeleted;
    if (index >= node_->subkeys.size()) return kErrorNoMoreItems;
    auto it = node_->subkeys.begin();
    std::advance(it, index);
    const std::string& name = it->second->name;
    if (buffer == nullptr || name.size() + 1 > size) return kErrorMoreData;
    std::memcpy(buffer, name.c_str(), name.size() + 1);
    return kRegSuccess;
  }

  RegStatus DeleteSubkey(const std::string& name) override {
    if (node_->deleted) return kErrorKeyDeleted;
    if (*change_error_ != kRegSuccess) return *change_error_;
    std::vector<std::string> names;
    if (!SplitPath(name, &names) || names.empty()) return kErrorAccessDenied;
    Node* parent = node_.get();
    for (size_t i = 0; i + 1 < names.size(); ++i) {
      auto it = parent->subkeys.find(UpperCase(names[i]));
      if (it == parent->subkeys.end()) return kErrorFileNotFound;
      parent = it->second.get();
    }
    auto it = parent->subkeys.find(UpperCase(names.back()));
    if (it == parent->subkeys.end()) return kErrorFileNotFound;
    if (!it->second->subkeys.empty()) return kErrorAccessDenied;
    it->second->deleted = true;
    parent->subkeys.erase(it);
    return kRegSuccess;
  }

  RegStatus DeleteValue(const std::string& name) override {
    if (node_->deleted) return kErrorKeyDeleted;
    if (*change_error_ != kRegSuccess) return *change_error_;
    return node_->values.erase(UpperCase(name)) > 0 ? kRegSuccess : kErrorFileNotFound;
  }

 private:
  std::shared_ptr<Node> node_;
  std::shared_ptr<const RegStatus> change_error_;
};

}  // namespace

FakeRegistry::FakeRegistry()
    : root_(std::make_shared<Node>()), change_error_(std::make_shared<RegStatus>(kRegSuccess)) {}
FakeRegistry::~FakeRegistry() = default;

RegStatus FakeRegistry::Open(const std::string& path, std::unique_ptr<RegistryKey>* key) {
  key->reset();
  std::vector<std::string> names;
  if (!SplitPath(path, &names)) return kErrorFileNotFound;
  std::shared_ptr<Node> node = root_;
  for (const std::string& name : names) {
    auto it = node->subkeys.find(UpperCase(name));
    if (it == node->subkeys.end()) return kErrorFileNotFound;
    node = it->second;
  }
  key->reset(new FakeRegistryKey(node, change_error_));
  return kRegSuccess;
}

RegStatus FakeRegistry::Create(const std::string& path, std::unique_ptr<RegistryKey>* key) {
  key->reset();
  std::vector<std::string> names;
  if (!SplitPath(path, &names)) return kErrorFileNotFound;
  std::shared_ptr<Node> node = root_;
  for (const std::string& name : names) {
    auto found = node->subkeys.find(UpperCase(name));
    if (found == node->subkeys.end() && *change_error_ != kRegSuccess) return *change_error_;
    std::shared_ptr<Node>& child = node->subkeys[UpperCase(name)];
    if (!child) {
      child = std::make_shared<Node>();
      child->name = name;
    }
    node = child;
  }
  key->reset(new FakeRegistryKey(node, change_error_));
  return kRegSuccess;
}

RegStatus FakeRegistry::DeleteValue(const std::string& path, const std::string& name) {
  std::unique_ptr<RegistryKey> key;
  const RegStatus opened = Open(path, &key);
  return opened == kRegSuccess ? key->DeleteValue(name) : opened;
}

}  // namespace kivo::platform
