// Behaviour of message formatting and environment expansion that event
// decoding relies on, beyond what the decoder's own cases show over the same
// two platforms (formatting with arguments, parameter texts, account lookup).
// The same cases run against the in-memory messages (with the tables of the
// test modules' .mc sources) and, in the Windows build, against kernel32
// under Wine with the test modules built from those sources.

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "platform/Messages.h"
#include "platform/fake/FakeMessages.h"
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
    std::uint32_t buffer_size = 4096;
  };
  const Case cases[] = {
      {"KivoTestFirst", kWithArguments, 1000, {"a long argument"}, nullptr, 16},  // too long
      // Message ids hold their severity bits: this one is 0xC0000BB8.
      {"KivoTestSecond", kWithArguments, 3000, {"disk"}, nullptr},
      // Ignoring inserts keeps "%%" too, but not the other escapes.
      {"KivoTestSecond", kIgnoringInserts, 3002, {}, "line one\r\r\nline two %% 100%%\r\ntab\tend"},
      // An id the module lacks comes from the system's own table.
      {"KivoTestFirst", kWithArguments, 1234, {}, "Port unreachable.\r\n"},
  };
  for (const Case& c : cases) {
    const platform::ModuleHandle module = messages_->LoadDataFile(ModulePath(c.module).c_str());
    ASSERT_NE(platform::kNoModule, module) << c.module;
    char buffer[4096];
    std::memset(buffer, 0x7F, sizeof(buffer));
    buffer[sizeof(buffer) - 1] = '\0';
    const std::uint32_t length =
        messages_->Format(c.flags, module, c.id, buffer, c.buffer_size, c.arguments.data());
    messages_->UnloadModule(module);
    if (c.expected == nullptr) {
      EXPECT_EQ(0u, length) << c.id;
    } else {
      EXPECT_STREQ(c.expected, buffer) << c.id;
      EXPECT_EQ(std::strlen(c.expected), length) << c.id;
    }
  }
}

std::unique_ptr<platform::Messages> MakeFakeMessages() {
  auto messages = std::make_unique<platform::FakeMessages>();
  messages->SetEnvironment(kModuleDirVariable, ModuleDir());
  for (const char* module : {"KivoTestFirst", "KivoTestSecond"}) {
    messages->AddModuleFromMc(ModulePath(module),
                              ReadFileBytes(std::string(KIVO_TEST_MC_DIR) + "/" + module + ".mc"));
  }
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
