#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include "platform/Registry.h"

namespace kivo::testing {

// A fresh directory that is the current directory for the object's lifetime,
// so that files written by bare name (the trace file) land in it.
class ScopedTempDir {
 public:
  ScopedTempDir();
  ~ScopedTempDir();
  ScopedTempDir(const ScopedTempDir&) = delete;
  ScopedTempDir& operator=(const ScopedTempDir&) = delete;

  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path previous_;
  std::filesystem::path path_;
};

// The whole content of a file, as bytes.
std::string ReadFileBytes(const std::filesystem::path& path);

// Deletes a key with everything below it; a missing key is fine.
void DeleteRegistryTree(platform::Registry& registry, const std::string& path);

// Makes the registry implementation that a test suite runs against: the
// in-memory one, or in the Windows build the real one.
using RegistryFactory = std::unique_ptr<platform::Registry> (*)();
std::unique_ptr<platform::Registry> MakeFakeRegistry();

}  // namespace kivo::testing
