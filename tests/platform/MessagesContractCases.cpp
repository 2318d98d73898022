#include <cstring>
#include <vector>

#include "platform/MessagesContract.h"
#include "support/EventRecords.h"

namespace kivo::testing {

std::string ModuleDir() {
  return KIVO_TEST_MESSAGE_DIR;
}
std::string ModulePath(const std::string& module) {
  return ModuleDir() + "\\" + module + ".dll";
}

namespace {

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

TEST_P(MessagesContract, MissingModuleDoesNotLoad) {
  EXPECT_EQ(platform::kNoModule, messages_->LoadDataFile(ModulePath("KivoNoSuchModule").c_str()));
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

}  // namespace
}  // namespace kivo::testing
