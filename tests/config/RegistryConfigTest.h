#pragma once

// Cases for the configuration store, run against every registry the build
// has: the in-memory one everywhere, the real one under Wine.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "config/RegistryConfig.h"
#include "support/TestSupport.h"

namespace kivo::testing {

class RegistryConfigTest : public ::testing::TestWithParam<RegistryFactory> {
 protected:
  void SetUp() override {
    registry_ = GetParam()();
    DeleteRegistryTree(*registry_, config::names::kRootPath);
  }
  void TearDown() override { DeleteRegistryTree(*registry_, config::names::kRootPath); }

  bool KeyExists(const std::string& sub) {
    std::unique_ptr<platform::RegistryKey> key;
    return registry_->Open(Root(sub), &key) == platform::kRegSuccess;
  }
  std::vector<std::string> Subkeys(const std::string& sub) {
    std::vector<std::string> names;
    std::unique_ptr<platform::RegistryKey> key;
    if (registry_->Open(Root(sub), &key) != platform::kRegSuccess) return names;
    char name[256];
    for (std::uint32_t i = 0; key->SubkeyName(i, name, sizeof(name)) == platform::kRegSuccess;
         ++i) {
      names.push_back(name);
    }
    return names;
  }
  void SetRaw(const std::string& sub, const std::string& value, platform::RegType type,
              const std::string& bytes) {
    std::unique_ptr<platform::RegistryKey> key;
    ASSERT_EQ(platform::kRegSuccess, registry_->Create(Root(sub), &key));
    ASSERT_EQ(platform::kRegSuccess,
              key->SetValue(value, type, bytes.data(), static_cast<std::uint32_t>(bytes.size())));
  }
  static std::string Root(const std::string& sub) {
    return sub.empty() ? config::names::kRootPath
                       : std::string(config::names::kRootPath) + "\\" + sub;
  }

  std::unique_ptr<platform::Registry> registry_;
};

}  // namespace kivo::testing
