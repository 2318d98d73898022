#include "forwarding/BurstCache.h"

#include <cstring>

namespace kivo::forwarding {

using platform::RegStatus;
using platform::RegType;

bool Freshness::set_caching(bool on) {
  if (on == caching_) return false;
  caching_ = on;
  second_.reset();
  return true;
}

bool Freshness::Renew() {
  const std::int64_t now = clock_();
  if (second_ == now) return false;
  second_ = now;
  return true;
}

// A key handed out while caching: it reads through the entry of its path,
// which may have been read again since the key was opened.
class CachingRegistry::Key : public platform::RegistryKey {
 public:
  Key(CachingRegistry& owner, std::string path) : owner_(owner), path_(std::move(path)) {}

  RegStatus QueryValue(const std::string& name, RegType* type, void* buffer,
                       std::uint32_t* size) const override {
    Entry& entry = owner_.Find(path_);
    if (!entry.key) return entry.status;
    auto found = entry.values.find(name);
    if (found == entry.values.end()) {
      Value value;
      value.data.resize(kFirstReadSize);
      auto length = static_cast<std::uint32_t>(value.data.size());
      value.status = entry.key->QueryValue(name, &value.type, value.data.data(), &length);
      if (value.status == platform::kErrorMoreData) {
        value.data.resize(length);
        value.status = entry.key->QueryValue(name, &value.type, value.data.data(), &length);
      }
      value.data.resize(value.status == platform::kRegSuccess ? length : 0);
      found = entry.values.emplace(name, std::move(value)).first;
    }
    const Value& value = found->second;
    if (value.status != platform::kRegSuccess) return value.status;
    if (type != nullptr) *type = value.type;
    const auto length = static_cast<std::uint32_t>(value.data.size());
    if (*size < length) {
      *size = length;
      return platform::kErrorMoreData;
    }
    if (length > 0) std::memcpy(buffer, value.data.data(), length);
    *size = length;
    return platform::kRegSuccess;
  }

  RegStatus SetValue(const std::string& name, RegType type, const void* data,
                     std::uint32_t size) override {
    Entry& entry = owner_.Find(path_);
    const RegStatus status = entry.key ? entry.key->SetValue(name, type, data, size) : entry.status;
    owner_.Forget();
    return status;
  }

  RegStatus CountSubkeys(std::uint32_t* count) const override {
    Entry& entry = owner_.Find(path_);
    if (!entry.key) return entry.status;
    if (!entry.count) {
      std::uint32_t counted = 0;
      const RegStatus status = entry.key->CountSubkeys(&counted);
      entry.count.emplace(status, counted);
    }
    *count = entry.count->second;
    return entry.count->first;
  }

  RegStatus SubkeyName(std::uint32_t index, char* buffer, std::uint32_t size) const override {
    Entry& entry = owner_.Find(path_);
    if (!entry.key) return entry.status;
    auto found = entry.names.find(index);
    if (found == entry.names.end()) {
      char name[kNameBufferSize] = {};
      const RegStatus status = entry.key->SubkeyName(index, name, sizeof(name));
      found = entry.names.emplace(index, std::make_pair(status, std::string(name))).first;
    }
    const auto& [status, name] = found->second;
    if (status != platform::kRegSuccess) return status;
    if (size < name.size() + 1) return platform::kErrorMoreData;
    std::memcpy(buffer, name.c_str(), name.size() + 1);
    return platform::kRegSuccess;
  }

  RegStatus DeleteSubkey(const std::string& name) override {
    Entry& entry = owner_.Find(path_);
    const RegStatus status = entry.key ? entry.key->DeleteSubkey(name) : entry.status;
    owner_.Forget();
    return status;
  }

  RegStatus DeleteValue(const std::string& name) override {
    Entry& entry = owner_.Find(path_);
    const RegStatus status = entry.key ? entry.key->DeleteValue(name) : entry.status;
    owner_.Forget();
    return status;
  }

 private:
  // Enough for the store's values; a longer one is read a second time.
  static constexpr std::uint32_t kFirstReadSize = 256;
  // A key name has at most 255 characters.
  static constexpr std::uint32_t kNameBufferSize = 256;

  CachingRegistry& owner_;
  const std::string path_;
};

CachingRegistry::Entry& CachingRegistry::Find(const std::string& path) {
  if (freshness_.Renew()) entries_.clear();
  auto found = entries_.find(path);
  if (found == entries_.end()) {
    Entry entry;
    entry.status = registry_.Open(path, &entry.key);
    found = entries_.emplace(path, std::move(entry)).first;
  }
  return found->second;
}

void CachingRegistry::Forget() {
  entries_.clear();
  freshness_.Forget();
}

RegStatus CachingRegistry::Open(const std::string& path,
                                std::unique_ptr<platform::RegistryKey>* key) {
  if (!freshness_.caching()) return registry_.Open(path, key);
  const RegStatus status = Find(path).status;
  if (status == platform::kRegSuccess) {
    *key = std::make_unique<Key>(*this, path);
  } else {
    key->reset();
  }
  return status;
}

RegStatus CachingRegistry::Create(const std::string& path,
                                  std::unique_ptr<platform::RegistryKey>* key) {
  if (freshness_.caching()) Forget();
  return registry_.Create(path, key);
}

void CachingSockets::set_caching(bool on) {
  if (!freshness_.set_caching(on)) return;
  local_name_.reset();
  addresses_.clear();
}

void CachingSockets::Renew() {
  if (!freshness_.Renew()) return;
  local_name_.reset();
  addresses_.clear();
}

platform::SocketError CachingSockets::ResolveHostName(const std::string& name,
                                                      platform::Ipv4Address* address) {
  if (!freshness_.caching()) return sockets_.ResolveHostName(name, address);
  Renew();
  auto found = addresses_.find(name);
  if (found == addresses_.end()) {
    platform::Ipv4Address resolved{};
    const platform::SocketError error = sockets_.ResolveHostName(name, &resolved);
    found = addresses_.emplace(name, std::make_pair(error, resolved)).first;
  }
  *address = found->second.second;
  return found->second.first;
}

platform::SocketError CachingSockets::LocalHostName(std::string* name) {
  if (!freshness_.caching()) return sockets_.LocalHostName(name);
  Renew();
  if (!local_name_) {
    std::string local;
    const platform::SocketError error = sockets_.LocalHostName(&local);
    local_name_.emplace(error, local);
  }
  *name = local_name_->second;
  return local_name_->first;
}

platform::Win32Error CachingSecrets::Read(const std::string& name, std::string* secret) {
  if (!freshness_.caching()) return secrets_.Read(name, secret);
  if (freshness_.Renew()) Forget();
  auto found = kept_.find(name);
  if (found == kept_.end()) {
    std::string read;
    const platform::Win32Error error = secrets_.Read(name, &read);
    found = kept_.emplace(name, std::make_pair(error, read)).first;
    if (!read.empty()) platform::WipeSecret(&read[0], read.size());
  }
  *secret = found->second.second;
  return found->second.first;
}

void CachingSecrets::Forget() {
  for (auto& [name, kept] : kept_) {
    if (!kept.second.empty()) platform::WipeSecret(&kept.second[0], kept.second.size());
  }
  kept_.clear();
}

void CachingMessages::set_caching(bool on) {
  // The loop switches between events, when no decode holds a module.
  if (freshness_.set_caching(on)) FreeKept();
}

platform::ModuleHandle CachingMessages::LoadDataFile(const char* path) {
  if (!freshness_.caching()) return messages_.LoadDataFile(path);
  if (lent_ == 0 && freshness_.Renew()) FreeKept();
  auto found = kept_.find(path);
  if (found == kept_.end()) found = kept_.emplace(path, messages_.LoadDataFile(path)).first;
  if (found->second != platform::kNoModule) ++lent_;
  return found->second;
}

void CachingMessages::UnloadModule(platform::ModuleHandle module) {
  for (const auto& [path, kept] : kept_) {
    if (kept == module) {
      --lent_;
      return;
    }
  }
  messages_.UnloadModule(module);
}

void CachingMessages::FreeKept() {
  for (const auto& [path, kept] : kept_) {
    if (kept != platform::kNoModule) messages_.UnloadModule(kept);
  }
  kept_.clear();
  lent_ = 0;
}

}  // namespace kivo::forwarding
