#pragma once

// Behaviour of the registry that the product relies on. The same cases run
// against the in-memory registry and, in the Windows build, against the real
// one under Wine, so the fake cannot drift from the platform.

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "platform/Registry.h"
#include "support/TestSupport.h"

namespace kivo::testing {

class RegistryContract : public ::testing::TestWithParam<RegistryFactory> {
 protected:
  static constexpr char kBase[] = "SOFTWARE\\KivoContractTest";

  void SetUp() override {
    registry_ = GetParam()();
    DeleteRegistryTree(*registry_, kBase);
  }
  void TearDown() override { DeleteRegistryTree(*registry_, kBase); }

  std::unique_ptr<platform::RegistryKey> Create(const std::string& sub) {
    std::unique_ptr<platform::RegistryKey> key;
    EXPECT_EQ(platform::kRegSuccess, registry_->Create(Path(sub), &key)) << sub;
    return key;
  }
  static std::string Path(const std::string& sub) {
    return sub.empty() ? std::string(kBase) : std::string(kBase) + "\\" + sub;
  }
  static void SetText(platform::RegistryKey& key, const std::string& name,
                      const std::string& text) {
    ASSERT_EQ(platform::kRegSuccess, key.SetValue(name, platform::RegType::kText, text.c_str(),
                                                  static_cast<std::uint32_t>(text.size() + 1)));
  }

  std::unique_ptr<platform::Registry> registry_;
};

}  // namespace kivo::testing
