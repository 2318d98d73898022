#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "config/RegistryConfig.h"
#include "platform/fake/FakeRegistry.h"
#include "tool/RecordingRegistry.h"

namespace kivo::testing {

// An in-memory store with helpers that seed and inspect it by paths relative
// to the root key ("" is the root key, "Filters\0" an entry). Pages under
// test use `registry`, which records every write into `registry.log()`.
class StoreFixture : public ::testing::Test {
 protected:
  platform::FakeRegistry fake;
  RecordingRegistry registry{fake};

  static std::string Full(const std::string& sub) {
    return sub.empty() ? std::string(config::names::kRootPath)
                       : std::string(config::names::kRootPath) + "\\" + sub;
  }
  std::unique_ptr<platform::RegistryKey> Key(const std::string& sub) {
    std::unique_ptr<platform::RegistryKey> key;
    EXPECT_EQ(platform::kRegSuccess, fake.Create(Full(sub), &key)) << sub;
    return key;
  }
  bool Exists(const std::string& sub) {
    std::unique_ptr<platform::RegistryKey> key;
    return fake.Open(Full(sub), &key) == platform::kRegSuccess;
  }
  // The default configuration, as the first use of the store creates it.
  void CreateDefaultStore() { config::RegistryConfig config(fake, nullptr); }

  void SetText(const std::string& sub, const std::string& name, const std::string& text) {
    Key(sub)->SetValue(name, platform::RegType::kText, text.c_str(),
                       static_cast<std::uint32_t>(text.size() + 1));
  }
  void SetNumber(const std::string& sub, const std::string& name, std::int32_t number) {
    const auto value = static_cast<std::uint32_t>(number);
    Key(sub)->SetValue(name, platform::RegType::kNumber, &value, sizeof(value));
  }
  std::optional<std::string> Text(const std::string& sub, const std::string& name) {
    config::RegistryConfig config(fake, sub.c_str());
    try {
      return config.ReadText(name.c_str());
    } catch (const config::RegistryReadError&) {
      return std::nullopt;
    }
  }
  std::optional<std::int32_t> Number(const std::string& sub, const std::string& name) {
    config::RegistryConfig config(fake, sub.c_str());
    try {
      return config.ReadNumber(name.c_str());
    } catch (const config::RegistryReadError&) {
      return std::nullopt;
    }
  }
  std::vector<std::string> Subkeys(const std::string& sub) {
    config::RegistryConfig config(fake, sub.c_str());
    std::vector<std::string> names;
    for (std::uint32_t i = 0; i < config.CountSubkeys(); ++i) names.push_back(config.SubkeyName(i));
    return names;
  }
};

}  // namespace kivo::testing
