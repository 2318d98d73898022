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

TEST_P(RegistryContract, CreateMakesParentsAndPathsAreCaseInsensitive) {
  Create("One\\Two\\Three");
  const struct {
    const char* sub;
    platform::RegStatus status;
  } cases[] = {{"One", platform::kRegSuccess},
               {"One\\Two\\Three", platform::kRegSuccess},
               {"one\\TWO\\three", platform::kRegSuccess},
               {"One\\Two\\", platform::kRegSuccess},
               {"Missing", platform::kErrorFileNotFound}};
  for (const auto& c : cases) {
    std::unique_ptr<platform::RegistryKey> key;
    EXPECT_EQ(c.status, registry_->Open(Path(c.sub), &key)) << c.sub;
    EXPECT_EQ(c.status == platform::kRegSuccess, key != nullptr) << c.sub;
  }
}

TEST_P(RegistryContract, TrailingBackslashAddressesTheKeyItself) {
  auto key = Create("Root");
  SetText(*key, "name", "value");
  std::unique_ptr<platform::RegistryKey> again;
  ASSERT_EQ(platform::kRegSuccess, registry_->Open(Path("Root\\"), &again));
  char buffer[16];
  std::uint32_t size = sizeof(buffer);
  EXPECT_EQ(platform::kRegSuccess, again->QueryValue("name", nullptr, buffer, &size));
  EXPECT_STREQ("value", buffer);
}

TEST_P(RegistryContract, QueryValueReportsTypeSizeAndShortBuffers) {
  auto key = Create("Values");
  SetText(*key, "text", "abc");
  const unsigned char number[4] = {0x78, 0x56, 0x34, 0x12};
  ASSERT_EQ(platform::kRegSuccess,
            key->SetValue("number", platform::RegType::kNumber, number, sizeof(number)));

  struct Case {
    const char* name;
    std::uint32_t buffer_size;
    platform::RegStatus status;
    std::uint32_t size_after;
    platform::RegType type;
  };
  const Case cases[] = {
      {"text", 16, platform::kRegSuccess, 4, platform::RegType::kText},
      {"TEXT", 4, platform::kRegSuccess, 4, platform::RegType::kText},
      {"text", 3, platform::kErrorMoreData, 4, platform::RegType::kText},
      {"number", 4, platform::kRegSuccess, 4, platform::RegType::kNumber},
      {"number", 2, platform::kErrorMoreData, 4, platform::RegType::kNumber},
  };
  for (const Case& c : cases) {
    char buffer[16] = {};
    std::uint32_t size = c.buffer_size;
    platform::RegType type = platform::RegType::kNone;
    EXPECT_EQ(c.status, key->QueryValue(c.name, &type, buffer, &size)) << c.name;
    EXPECT_EQ(c.size_after, size) << c.name;
    EXPECT_EQ(c.type, type) << c.name;
    if (c.status == platform::kRegSuccess && c.type == platform::RegType::kText) {
      EXPECT_STREQ("abc", buffer);
    }
    if (c.status == platform::kRegSuccess && c.type == platform::RegType::kNumber) {
      EXPECT_EQ(0, std::memcmp(buffer, number, 4));
    }
  }
  char buffer[4];
  std::uint32_t size = sizeof(buffer);
  EXPECT_EQ(platform::kErrorFileNotFound, key->QueryValue("missing", nullptr, buffer, &size));
}

TEST_P(RegistryContract, SubkeysEnumerateInSortedOrderWithoutCase) {
  const char* const created[] = {"10", "2", "b", "0", "A", "1"};
  for (const char* name : created) Create(std::string("List\\") + name);
  std::unique_ptr<platform::RegistryKey> list;
  ASSERT_EQ(platform::kRegSuccess, registry_->Open(Path("List"), &list));

  std::uint32_t count = 0;
  EXPECT_EQ(platform::kRegSuccess, list->CountSubkeys(&count));
  EXPECT_EQ(6u, count);
  const char* const expected[] = {"0", "1", "10", "2", "A", "b"};
  for (std::uint32_t i = 0; i < 6; ++i) {
    char name[256];
    ASSERT_EQ(platform::kRegSuccess, list->SubkeyName(i, name, sizeof(name))) << i;
    EXPECT_STREQ(expected[i], name) << i;
  }
  char name[256];
  EXPECT_EQ(platform::kErrorNoMoreItems, list->SubkeyName(6, name, sizeof(name)));
  char tiny[2];
  EXPECT_EQ(platform::kErrorMoreData, list->SubkeyName(2, tiny, sizeof(tiny)));
}

TEST_P(RegistryContract, DeleteSubkeyRemovesOnlyLeaves) {
  Create("Tree\\Leaf");
  Create("Tree\\Branch\\Twig");
  std::unique_ptr<platform::RegistryKey> tree;
  ASSERT_EQ(platform::kRegSuccess, registry_->Open(Path("Tree"), &tree));

  EXPECT_EQ(platform::kRegSuccess, tree->DeleteSubkey("leaf"));
  EXPECT_EQ(platform::kErrorFileNotFound, tree->DeleteSubkey("Leaf"));
  EXPECT_NE(platform::kRegSuccess, tree->DeleteSubkey("Branch"));

  std::uint32_t count = 0;
  tree->CountSubkeys(&count);
  EXPECT_EQ(1u, count);
  std::unique_ptr<platform::RegistryKey> twig;
  EXPECT_EQ(platform::kRegSuccess, registry_->Open(Path("Tree\\Branch\\Twig"), &twig));
}

TEST_P(RegistryContract, OpenHandleOfDeletedKeyNoLongerReads) {
  auto leaf = Create("Gone\\Leaf");
  SetText(*leaf, "v", "x");
  std::unique_ptr<platform::RegistryKey> parent;
  ASSERT_EQ(platform::kRegSuccess, registry_->Open(Path("Gone"), &parent));
  ASSERT_EQ(platform::kRegSuccess, parent->DeleteSubkey("Leaf"));

  char buffer[8];
  std::uint32_t size = sizeof(buffer);
  EXPECT_NE(platform::kRegSuccess, leaf->QueryValue("v", nullptr, buffer, &size));
  std::unique_ptr<platform::RegistryKey> reopened;
  EXPECT_EQ(platform::kErrorFileNotFound, registry_->Open(Path("Gone\\Leaf"), &reopened));
}

INSTANTIATE_TEST_SUITE_P(Fake, RegistryContract, ::testing::Values(&MakeFakeRegistry),
                         [](const auto&) { return std::string("InMemory"); });
#ifdef _WIN32
INSTANTIATE_TEST_SUITE_P(Win32, RegistryContract, ::testing::Values(&MakeWin32Registry),
                         [](const auto&) { return std::string("Win32"); });
#endif

}  // namespace kivo::testing
