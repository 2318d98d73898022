// Stored secrets: the same cases against the in-memory secrets and, in the
// Windows build, against DPAPI and the real registry under Wine, where the
// value's encryption and the key's access list are checked as well.

#ifdef _WIN32
#include <windows.h>

#include <sddl.h>

#include "platform/win32/Win32Registry.h"
#include "platform/win32/Win32Secrets.h"
#endif

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "platform/Secrets.h"
#include "platform/fake/FakeSecrets.h"
#include "support/TestSupport.h"

namespace kivo::testing {

using SecretsFactory = std::unique_ptr<platform::Secrets> (*)();

class SecretsContract : public ::testing::TestWithParam<SecretsFactory> {
 public:
  static constexpr char kBase[] = "SOFTWARE\\KivoSecretsTest";
  static constexpr char kKey[] = "SOFTWARE\\KivoSecretsTest\\Secrets";
};

namespace {

using platform::kErrorFileNotFound;
using platform::kSecretAuthPassphrase;
using platform::kSecretPrivPassphrase;

TEST_P(SecretsContract, SecretsReadBackAsWrittenAndMissingOnesAreNotFound) {
  const auto secrets = GetParam()();
  std::string secret = "unchanged";
  EXPECT_EQ(kErrorFileNotFound, secrets->Read(kSecretAuthPassphrase, &secret));
  const std::string binary("pass\0phr\xE4se", 11);
  const struct {
    const char* name;
    std::string secret;
  } writes[] = {{kSecretAuthPassphrase, "first passphrase"},
                {kSecretPrivPassphrase, binary},
                {kSecretAuthPassphrase, "replaced passphrase"}};
  for (const auto& w : writes) ASSERT_EQ(0u, secrets->Write(w.name, w.secret)) << w.name;
  EXPECT_EQ(kErrorFileNotFound, secrets->Read("v3other", &secret));
  EXPECT_EQ("unchanged", secret);
  ASSERT_EQ(0u, secrets->Read(kSecretAuthPassphrase, &secret));
  EXPECT_EQ("replaced passphrase", secret);
  ASSERT_EQ(0u, secrets->Read(kSecretPrivPassphrase, &secret));
  EXPECT_EQ(binary, secret);
}

std::unique_ptr<platform::Secrets> MakeFakeSecrets() {
  return std::make_unique<platform::FakeSecrets>();
}

INSTANTIATE_TEST_SUITE_P(Fake, SecretsContract, ::testing::Values(&MakeFakeSecrets),
                         [](const auto&) { return std::string("InMemory"); });

#ifdef _WIN32
class Win32SecretsTest : public SecretsContract {
 protected:
  void SetUp() override { DeleteRegistryTree(registry_, kBase); }
  void TearDown() override { DeleteRegistryTree(registry_, kBase); }
  platform::Win32Registry registry_;
};

std::unique_ptr<platform::Secrets> MakeWin32Secrets() {
  return std::make_unique<platform::Win32Secrets>(SecretsContract::kKey);
}

INSTANTIATE_TEST_SUITE_P(Win32, SecretsContract, ::testing::Values(&MakeWin32Secrets),
                         [](const auto&) { return std::string("Dpapi"); });

// The key's access list as SDDL text; empty when it cannot be read.
std::string AccessList(const char* path) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, READ_CONTROL, &key) != ERROR_SUCCESS) return "";
  char descriptor[1024];
  DWORD size = sizeof(descriptor);
  const LONG read = RegGetKeySecurity(key, DACL_SECURITY_INFORMATION, descriptor, &size);
  RegCloseKey(key);
  char* text = nullptr;
  if (read != ERROR_SUCCESS ||
      !ConvertSecurityDescriptorToStringSecurityDescriptorA(
          descriptor, SDDL_REVISION_1, DACL_SECURITY_INFORMATION, &text, nullptr)) {
    return "";
  }
  std::string result(text);
  LocalFree(text);
  return result;
}

// Also when the key was there before, open to everyone: the list is set on
// every write.
TEST_F(Win32SecretsTest, StoredValueIsABlobAndOnlySystemAndAdministratorsHoldTheKey) {
  ASSERT_TRUE(WriteValue(registry_, kKey, "other", {platform::RegType::kText, {"x", 2}}));
  platform::Win32Secrets secrets(kKey);
  const std::string secret = "clear passphrase";
  ASSERT_EQ(0u, secrets.Write(kSecretAuthPassphrase, secret));
  const auto stored = ReadValue(registry_, kKey, kSecretAuthPassphrase);
  ASSERT_TRUE(stored);
  EXPECT_EQ(platform::RegType::kBinary, stored->type);
  EXPECT_EQ(std::string::npos, stored->bytes.find(secret));
  EXPECT_EQ("D:P(A;OICI;KA;;;SY)(A;OICI;KA;;;BA)", AccessList(kKey));
  // A value that is no blob of this machine is refused, not returned.
  std::string read;
  EXPECT_NE(0u, secrets.Read("other", &read));
  EXPECT_TRUE(WriteValue(registry_, kKey, "other", {platform::RegType::kBinary, {"abcd", 4}}));
  EXPECT_NE(0u, secrets.Read("other", &read));
  EXPECT_TRUE(read.empty());
}
#endif

}  // namespace
}  // namespace kivo::testing
