#pragma once

// The configuration store as the tool's tests see it: its keys and values as
// text, so that a test compares a whole store (or one key) at once, natively
// and under Wine; and an in-memory store to seed for the pages under test.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#include "config/RegistryConfig.h"
#include "platform/fake/FakeRegistry.h"
#include "support/TestSupport.h"

namespace kivo::testing {

// One key below the root key ("" the root key, "Filters\\0" an entry) as a
// line: its path ("root" for the root key), then each value of a name the
// store uses that the key holds, texts quoted, numbers in decimal.
inline std::string DumpKey(platform::Registry& registry, const std::string& sub) {
  std::string line = sub.empty() ? "root" : sub;
  std::unique_ptr<platform::RegistryKey> key;
  if (registry.Open(StorePath(sub), &key) != platform::kRegSuccess) return line + " (no key)";
  for (const char* name : config::names::kAllValues) {
    char data[4096];
    std::uint32_t size = sizeof(data);
    platform::RegType type = platform::RegType::kNone;
    const platform::RegStatus status = key->QueryValue(name, &type, data, &size);
    if (status == platform::kErrorFileNotFound) continue;
    std::string value = "?";
    std::int32_t number = 0;
    if (status == platform::kRegSuccess && type == platform::RegType::kText && size > 0) {
      value = '"' + std::string(data, size - 1) + '"';
    } else if (status == platform::kRegSuccess && type == platform::RegType::kNumber &&
               size == sizeof(number)) {
      std::memcpy(&number, data, sizeof(number));
      value = std::to_string(number);
    }
    line += std::string(" ") + name + "=" + value;
  }
  return line;
}

// A key and everything below it, one line per key in enumeration order.
inline std::string DumpTree(platform::Registry& registry, const std::string& sub = "") {
  std::string text = DumpKey(registry, sub) + "\n";
  for (const std::string& name : SubkeyNames(registry, StorePath(sub))) {
    text += DumpTree(registry, sub.empty() ? name : sub + "\\" + name);
  }
  return text;
}

// An in-memory store for the pages under test, seeded by key paths.
class ToolStore : public ::testing::Test {
 protected:
  // The default configuration, as the first use of the store creates it.
  void Defaults() { config::RegistryConfig store(registry, nullptr); }
  std::unique_ptr<platform::RegistryKey> Key(const std::string& sub) {
    std::unique_ptr<platform::RegistryKey> key;
    registry.Create(StorePath(sub), &key);
    return key;
  }
  void Set(const std::string& sub, const char* name, const std::string& text) {
    Key(sub)->SetValue(name, platform::RegType::kText, text.c_str(),
                       static_cast<std::uint32_t>(text.size() + 1));
  }
  void Set(const std::string& sub, const char* name, std::int32_t number) {
    Key(sub)->SetValue(name, platform::RegType::kNumber, &number, sizeof(number));
  }
  std::string DumpKey(const std::string& sub) { return testing::DumpKey(registry, sub); }
  std::string DumpTree(const std::string& sub = "") { return testing::DumpTree(registry, sub); }

  platform::FakeRegistry registry;
};

}  // namespace kivo::testing
