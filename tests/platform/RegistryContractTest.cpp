// Behaviour of the registry that the product relies on. The same cases run
// against the in-memory registry and, in the Windows build, against the real
// one under Wine, so the fake cannot drift from the platform. Value reads and
// the deletion of list entries are the configuration store's cases, which
// run over both registries too.

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "platform/Registry.h"
#ifdef _WIN32
#include "platform/win32/Win32Registry.h"
#endif
#include "support/TestSupport.h"

namespace kivo::testing {

using platform::kErrorFileNotFound;
using platform::kRegSuccess;
using platform::RegType;

class RegistryContract : public ::testing::TestWithParam<RegistryFactory> {
 protected:
  static constexpr char kBase[] = "SOFTWARE\\KivoContractTest";

  void SetUp() override {
    registry_ = GetParam()();
    DeleteRegistryTree(*registry_, kBase);
  }
  void TearDown() override { DeleteRegistryTree(*registry_, kBase); }

  static std::string Path(const std::string& sub) { return std::string(kBase) + "\\" + sub; }
  std::unique_ptr<platform::RegistryKey> Open(const std::string& sub) {
    std::unique_ptr<platform::RegistryKey> key;
    EXPECT_EQ(kRegSuccess, registry_->Open(Path(sub), &key)) << sub;
    return key;
  }

  std::unique_ptr<platform::Registry> registry_;
};

TEST_P(RegistryContract, CreateMakesParentsAndATrailingBackslashAddressesTheKey) {
  ASSERT_TRUE(WriteValue(*registry_, Path("One\\Two"), "name", {RegType::kText, {"value", 6}}));
  const struct {
    const char* sub;
    platform::RegStatus status;
  } cases[] = {{"One", kRegSuccess}, {"One\\Two\\", kRegSuccess}, {"Missing", kErrorFileNotFound}};
  for (const auto& c : cases) {
    std::unique_ptr<platform::RegistryKey> key;
    EXPECT_EQ(c.status, registry_->Open(Path(c.sub), &key)) << c.sub;
    EXPECT_EQ(c.status == kRegSuccess, key != nullptr) << c.sub;
  }
  const StoredValue value{RegType::kText, {"value", 6}};
  EXPECT_EQ(value, ReadValue(*registry_, Path("One\\Two\\"), "name"));
}

// The lists of the store are numbered entries: "10" comes before "2".
TEST_P(RegistryContract, SubkeysEnumerateInOrderOfTheirNames) {
  for (const char* name : {"10", "2", "0"}) {
    ASSERT_TRUE(WriteValue(*registry_, Path("List\\") + name, "", {RegType::kText, {"", 1}}));
  }
  auto list = Open("List");
  std::uint32_t count = 0;
  EXPECT_EQ(kRegSuccess, list->CountSubkeys(&count));
  EXPECT_EQ(3u, count);
  std::string names;
  char name[256];
  for (std::uint32_t i = 0; list->SubkeyName(i, name, sizeof(name)) == kRegSuccess; ++i) {
    names += std::string(name) + " ";
  }
  EXPECT_EQ("0 10 2 ", names);
  EXPECT_EQ(platform::kErrorNoMoreItems, list->SubkeyName(3, name, sizeof(name)));
}

// A start without resume forgets the logs' positions but keeps the other
// values of their key.
TEST_P(RegistryContract, DeleteValueRemovesThatValueOnly) {
  const StoredValue kept{RegType::kNumber, Dword(1)};
  ASSERT_TRUE(WriteValue(*registry_, Path("Values"), "gone", {RegType::kBinary, "12345678"}));
  ASSERT_TRUE(WriteValue(*registry_, Path("Values"), "kept", kept));
  auto key = Open("Values");
  EXPECT_EQ(kRegSuccess, key->DeleteValue("gone"));
  EXPECT_EQ(kErrorFileNotFound, key->DeleteValue("gone"));
  EXPECT_FALSE(ReadValue(*registry_, Path("Values"), "gone").has_value());
  EXPECT_EQ(kept, ReadValue(*registry_, Path("Values"), "kept"));
}

#ifdef _WIN32
// What the package reads with a user's rights: keys open, nothing changes.
TEST(Win32RegistryForReading, OpensKeysButChangesNothing) {
  platform::Win32Registry full;
  platform::Win32Registry reading(platform::Win32Registry::Access::kRead);
  const std::string path = "SOFTWARE\\KivoContractTest\\Read";
  ASSERT_TRUE(WriteValue(full, path, "name", {RegType::kText, {"v", 2}}));
  std::unique_ptr<platform::RegistryKey> key;
  ASSERT_EQ(kRegSuccess, reading.Open(path, &key));
  EXPECT_EQ(platform::kErrorAccessDenied, key->SetValue("name", RegType::kText, "w", 2));
  EXPECT_EQ(platform::kErrorAccessDenied, reading.Create(path + "\\New", &key));
  EXPECT_EQ((StoredValue{RegType::kText, {"v", 2}}), ReadValue(reading, path, "name"));
  DeleteRegistryTree(full, path);
}
#endif

INSTANTIATE_TEST_SUITE_P(Fake, RegistryContract, ::testing::Values(&MakeFakeRegistry),
                         [](const auto&) { return std::string("InMemory"); });
#ifdef _WIN32
INSTANTIATE_TEST_SUITE_P(Win32, RegistryContract, ::testing::Values(&MakeWin32Registry),
                         [](const auto&) { return std::string("Win32"); });
#endif

}  // namespace kivo::testing
