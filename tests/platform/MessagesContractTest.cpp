// Behaviour of message formatting, environment expansion and account lookup
// that event decoding relies on. The same cases run against the in-memory
// messages (with the tables of the test modules' .mc sources) and, in the
// Windows build, against kernel32 and advapi32 under Wine with the test
// modules built from those sources.

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "platform/Messages.h"
#include "platform/fake/FakeMessages.h"
#include "support/EventRecords.h"
#include "support/TestSupport.h"
#ifdef _WIN32
#include "platform/win32/Win32Messages.h"
#endif

namespace kivo::testing {
namespace {

using MessagesFactory = std::unique_ptr<platform::Messages> (*)();

// The environment variable the cases expand, naming the modules' folder.
constexpr char kModuleDirVariable[] = "KivoContractDir";
std::string ModuleDir() {
  return KIVO_TEST_MESSAGE_DIR;
}
std::string ModulePath(const std::string& module) {
  return ModuleDir() + "\\" + module + ".dll";
}

class MessagesContract : public ::testing::TestWithParam<MessagesFactory> {
 protected:
  void SetUp() override { messages_ = GetParam()(); }
  std::unique_ptr<platform::Messages> messages_;
};

constexpr std::uint32_t kWithArguments =
    platform::kFormatArgumentArray | platform::kFormatFromSystem | platform::kFormatFromHmodule;
constexpr std::uint32_t kIgnoringInserts =
    platform::kFormatIgnoreInserts | platform::kFormatFromSystem | platform::kFormatFromHmodule;

// An argument array with an entry for every insert a message can name.
std::vector<const char*> Arguments(std::vector<const char*> given) {
  static const std::vector<std::string> markers = [] {
    std::vector<std::string> m;
    for (int i = 1; i <= 99; ++i) m.push_back("%" + std::to_string(i));
    return m;
  }();
  for (std::size_t i = given.size(); i < 99; ++i) given.push_back(markers[i].c_str());
  return given;
}

TEST_P(MessagesContract, ExpandsEnvironmentReferences) {
  char buffer[512];
  const std::string path = "%" + std::string(kModuleDirVariable) + "%\\KivoTestFirst.dll";
  const std::uint32_t needed = messages_->ExpandEnvironment(path.c_str(), buffer, sizeof(buffer));
  EXPECT_STREQ(ModulePath("KivoTestFirst").c_str(), buffer);
  EXPECT_EQ(ModulePath("KivoTestFirst").size() + 1, needed);
  EXPECT_EQ(needed, messages_->ExpandEnvironment(path.c_str(), buffer, 4));
  messages_->ExpandEnvironment("%KivoNoSuchVariable%\\x", buffer, sizeof(buffer));
  EXPECT_STREQ("%KivoNoSuchVariable%\\x", buffer);
}

TEST_P(MessagesContract, FormatsFromTheModuleWithArgumentsOrMarkers) {
  EXPECT_EQ(platform::kNoModule, messages_->LoadDataFile(ModulePath("KivoNoSuchModule").c_str()));
  struct Case {
    const char* module;
    std::uint32_t flags;
    std::uint32_t id;
    std::vector<const char*> arguments;
    const char* expected;  // null: formatting fails
  };
  const Case cases[] = {
      {"KivoTestFirst", kIgnoringInserts, 1000, {"a"}, "first module %1\r\n"},
      {"KivoTestFirst", kWithArguments, 1000, {"a"}, "first module a\r\n"},
      {"KivoTestSecond", kWithArguments, 2000, {"x", "y"}, "second module x and y\r\n"},
      {"KivoTestSecond", kWithArguments, 0xC0000BB8, {"disk"}, "error with severity disk\r\n"},
      {"KivoTestSecond", kWithArguments, 3000, {"disk"}, nullptr},
      {"KivoTestSecond", kWithArguments, 3001, {"x"}, "needs x %2 %3 and %12\r\n"},
      {"KivoTestSecond", kIgnoringInserts, 3001, {}, "needs %1 %2 %3 and %12\r\n"},
      {"KivoTestSecond", kWithArguments, 3002, {}, "line one\r\r\nline two % 100%\r\ntab\tend"},
      // Ignoring inserts keeps "%%" too, but not the other escapes.
      {"KivoTestSecond", kIgnoringInserts, 3002, {}, "line one\r\r\nline two %% 100%%\r\ntab\tend"},
      {"KivoTestParameters", kWithArguments, 1234, {}, "parameter text"},
      {"KivoTestFirst", kWithArguments, 0x2FFF0001, {}, nullptr},
      // An id the module lacks comes from the system's own table.
      {"KivoTestFirst", kWithArguments, 1234, {}, "Port unreachable.\r\n"},
  };
  for (const Case& c : cases) {
    const platform::ModuleHandle module = messages_->LoadDataFile(ModulePath(c.module).c_str());
    ASSERT_NE(platform::kNoModule, module) << c.module;
    char buffer[4096];
    std::memset(buffer, 0x7F, sizeof(buffer));
    buffer[sizeof(buffer) - 1] = '\0';
    const auto arguments = Arguments(c.arguments);
    const std::uint32_t length =
        messages_->Format(c.flags, module, c.id, buffer, sizeof(buffer), arguments.data());
    messages_->UnloadModule(module);
    if (c.expected == nullptr) {
      EXPECT_EQ(0u, length) << c.id;
    } else {
      EXPECT_STREQ(c.expected, buffer) << c.id;
      EXPECT_EQ(std::strlen(c.expected), length) << c.id;
    }
  }
}

TEST_P(MessagesContract, FailsWhenTheTextDoesNotFitTheBuffer) {
  const platform::ModuleHandle module =
      messages_->LoadDataFile(ModulePath("KivoTestFirst").c_str());
  const auto arguments = Arguments({"a long argument"});
  char buffer[16];
  EXPECT_EQ(0u, messages_->Format(kWithArguments, module, 1000, buffer, sizeof(buffer),
                                  arguments.data()));
  messages_->UnloadModule(module);
}

TEST_P(MessagesContract, LooksUpWellKnownAccountsOnly) {
  char name[1000], domain[1000];
  std::uint32_t name_size = sizeof(name), domain_size = sizeof(domain);
  const auto system = MakeSid(5, {18});
  ASSERT_TRUE(messages_->LookupAccount(system.data(), name, &name_size, domain, &domain_size));
  EXPECT_STREQ("SYSTEM", name);
  const auto unknown = MakeSid(5, {21, 1, 2, 3, 1001});
  name_size = sizeof(name), domain_size = sizeof(domain);
  EXPECT_FALSE(messages_->LookupAccount(unknown.data(), name, &name_size, domain, &domain_size));
}

std::unique_ptr<platform::Messages> MakeFakeMessages() {
  auto messages = std::make_unique<platform::FakeMessages>();
  messages->SetEnvironment(kModuleDirVariable, ModuleDir());
  for (const char* module : {"KivoTestFirst", "KivoTestSecond", "KivoTestParameters"}) {
    messages->AddModuleFromMc(ModulePath(module),
                              ReadFileBytes(std::string(KIVO_TEST_MC_DIR) + "/" + module + ".mc"));
  }
  messages->AddAccount(MakeSid(5, {18}), "SYSTEM", "NT AUTHORITY");
  return messages;
}

INSTANTIATE_TEST_SUITE_P(Fake, MessagesContract, ::testing::Values(&MakeFakeMessages),
                         [](const auto&) { return std::string("InMemory"); });

#ifdef _WIN32
std::unique_ptr<platform::Messages> MakeWin32Messages() {
  static const std::string assignment = std::string(kModuleDirVariable) + "=" + ModuleDir();
  _putenv(assignment.c_str());
  return std::make_unique<platform::Win32Messages>();
}
INSTANTIATE_TEST_SUITE_P(Win32, MessagesContract, ::testing::Values(&MakeWin32Messages),
                         [](const auto&) { return std::string("Win32"); });
#endif

}  // namespace
}  // namespace kivo::testing
