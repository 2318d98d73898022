#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/Registry.h"

namespace kivo::platform {

// An in-memory registry that behaves like the Win32 one for everything the
// product uses: case-insensitive key and value names, subkeys enumerated in
// sorted order, deleted keys that stay deleted for open handles.
class FakeRegistry : public Registry {
 public:
  FakeRegistry();
  ~FakeRegistry() override;

  RegStatus Open(const std::string& path, std::unique_ptr<RegistryKey>* key) override;
  RegStatus Create(const std::string& path, std::unique_ptr<RegistryKey>* key) override;

  // Removes a value of the key at `path`, for tests that take a setting
  // away. kErrorFileNotFound when the key or the value does not exist.
  RegStatus DeleteValue(const std::string& path, const std::string& name);

  // From now on every change (a value set, a key created or deleted) fails
  // with this error, as for a user without the rights to change the keys;
  // reads still work. kRegSuccess allows changes again.
  void RefuseChanges(RegStatus error) { *change_error_ = error; }

  struct Node;

 private:
  std::shared_ptr<Node> root_;
  // Shared with the open keys, which refuse changes as well.
  std::shared_ptr<RegStatus> change_error_;
};

}  // namespace kivo::platform
