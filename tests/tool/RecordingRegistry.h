#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/Registry.h"

namespace kivo::testing {

// Wraps a registry and logs every write, so that tests can check the order
// in which a save touches the store. Entries read "set <path>:<value>" and
// "delete <path>\<subkey>", with paths relative to the store's root key.
class RecordingRegistry : public platform::Registry {
 public:
  explicit RecordingRegistry(platform::Registry& inner) : inner_(inner) {}

  platform::RegStatus Open(const std::string& path,
                           std::unique_ptr<platform::RegistryKey>* key) override;
  platform::RegStatus Create(const std::string& path,
                             std::unique_ptr<platform::RegistryKey>* key) override;

  const std::vector<std::string>& log() const { return log_; }
  void ClearLog() { log_.clear(); }

 private:
  platform::RegStatus Wrap(platform::RegStatus status, const std::string& path,
                           std::unique_ptr<platform::RegistryKey>* key);

  platform::Registry& inner_;
  std::vector<std::string> log_;
};

}  // namespace kivo::testing
