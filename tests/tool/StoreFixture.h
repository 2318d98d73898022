#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "config/RegistryConfig.h"
#include "platform/fake/FakeRegistry.h"
#include "support/TestSupport.h"
#include "tool/RecordingRegistry.h"

namespace kivo::testing {

// An in-memory store with helpers that seed and inspect it by paths relative
// to the root key ("" is the root key, "Filters\0" an entry). Pages under
// test use `registry`, which records every write into `registry.log()`.
class StoreFixture : public ::testing::Test {
 protected:
  platform::FakeRegistry fake;
  RecordingRegistry registry{fake};

  std::unique_ptr<platform::RegistryKey> Key(const std::string& sub) {
    std::unique_ptr<platform::RegistryKey> key;
    EXPECT_EQ(platform::kRegSuccess, fake.Create(StorePath(sub), &key)) << sub;
    return key;
  }
  bool Exists(const std::string& sub) { return KeyExists(fake, StorePath(sub)); }
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
  std::optional<std::string> Text(const std::string& sub, const char* name) {
    return StoredText(fake, sub, name);
  }
  std::optional<std::int32_t> Number(const std::string& sub, const char* name) {
    return StoredNumber(fake, sub, name);
  }
  std::vector<std::string> Subkeys(const std::string& sub) {
    return SubkeyNames(fake, StorePath(sub));
  }
};

}  // namespace kivo::testing
