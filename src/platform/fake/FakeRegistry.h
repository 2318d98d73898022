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

  // Removes a value of a key (not part of the interface: the product never
  // deletes values; tests use it to take a setting away). kErrorFileNotFound when
  // the key or the value does not exist.
  RegStatus DeleteValue(const std::string& path, const std::string& name);

  struct Node;

 private:
  std::shared_ptr<Node> root_;
};

}  // namespace kivo::platform
