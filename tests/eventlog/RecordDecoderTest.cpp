// Record decoding over the registry and message modules the test sources
// name: in memory (the modules' tables read from their .mc sources) and, in
// the Windows build, the real registry, LoadLibraryExA, FormatMessageA and
// LookupAccountSidA under Wine with the modules built from those sources.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "config/RegistryConfig.h"
#include "eventlog/RecordDecoder.h"
#include "platform/fake/FakeMessages.h"
#include "platform/fake/FakeRegistry.h"
#include "support/EventRecords.h"
#include "support/TestSupport.h"
#ifdef _WIN32
#include "platform/win32/Win32Messages.h"
#endif

namespace kivo::testing {
namespace {

using ::testing::HasSubstr;

constexpr char kSources[] = "SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application\\";
constexpr char kModuleDirVariable[] = "KivoDecodeDir";

std::string ModulePath(const std::string& module) {
  return std::string(KIVO_TEST_MESSAGE_DIR) + "\\" + module + ".dll";
}
// As a source names it: through an environment reference.
std::string ModuleReference(const std::string& module) {
  return "%" + std::string(kModuleDirVariable) + "%\\" + module + ".dll";
}

struct DecodePlatform {
  std::unique_ptr<platform::Registry> registry;
  std::unique_ptr<platform::Messages> messages;
};
using DecodePlatformFactory = DecodePlatform (*)();

class RecordDecoderTest : public ::testing::TestWithParam<DecodePlatformFactory> {
 protected:
  void SetUp() override {
    platform_ = GetParam()();
    RemoveSources();
    ASSERT_TRUE(RegisterEventSource(
        *platform_.registry, "Application", "KivoTestMulti",
        ModuleReference("KivoTestFirst") + ";" + ModuleReference("KivoTestSecond"),
        ModuleReference("KivoTestParameters")));
    ASSERT_TRUE(RegisterEventSource(*platform_.registry, "Application", "KivoTestPlain", ""));
    SetLogging(0);
    decoder_ = std::make_unique<eventlog::RecordDecoder>(*platform_.messages, *platform_.registry);
  }
  void TearDown() override { RemoveSources(); }
  void RemoveSources() {
    for (const char* source : {"KivoTestMulti", "KivoTestPlain"}) {
      DeleteRegistryTree(*platform_.registry, std::string(kSources) + source);
    }
  }
  // The trace file, with its line ends as LF.
  std::string Trace() {
    std::string text;
    for (const std::string& line : ReadLines(config::TraceFile::kFileName)) text += line + "\n";
    return text;
  }
  void SetLogging(int value) {
    config::RegistryConfig(*platform_.registry, nullptr).SetLogging(value);
  }

  void Decode(const std::vector<unsigned char>& record) {
    decoder_->DecodeRecord(0, record.data(), static_cast<std::uint32_t>(record.size()), event_);
  }
  void Decode(std::uint32_t id, std::vector<std::string> strings,
              const std::string& source = "KivoTestMulti") {
    TestEvent event;
    event.event_id = id;
    event.source = source;
    event.strings = std::move(strings);
    Decode(AnsiRecord(event));
  }

  ScopedTempDir dir_;
  DecodePlatform platform_;
  std::unique_ptr<eventlog::RecordDecoder> decoder_;
  eventlog::DecodedEvent event_;
};

TEST_P(RecordDecoderTest, DescriptionComesFromTheModuleThatHasTheMessage) {
  struct Case {
    std::uint32_t id;
    std::vector<std::string> strings;
    const char* source;
    std::int32_t event_id;
    std::string description;
  };
  const std::string too_long(5000, 'x');
  const Case cases[] = {
      {1000, {"a"}, "KivoTestMulti", 1000, "first module a\r\n"},
      {2000, {"a", "b"}, "KivoTestMulti", 2000, "second module a and b\r\n"},
      // The whole insertion string is replaced, whatever follows the number.
      {2000,
       {"%%1234 trailing", "b"},
       "KivoTestMulti",
       2000,
       "second module parameter text and b\r\n"},
      // A parameter that is found nowhere leaves the insertion string as it is.
      {2000, {"%%805240833", "b"}, "KivoTestMulti", 2000, "second module %%805240833 and b\r\n"},
      // A parameter text's own inserts are not read from anywhere.
      {2000, {"%%7", "b"}, "KivoTestMulti", 2000, "second module has %1 insert and b\r\n"},
      // Looked up with all 32 bits, reported with the low 16.
      {0xC0000BB8, {"disk"}, "KivoTestMulti", 3000, "error with severity disk\r\n"},
      // Inserts the record does not carry stay as markers.
      {3001, {"x"}, "KivoTestMulti", 3001, "needs x %2 %3 and %12\r\n"},
      {3001, {}, "KivoTestMulti", 3001, "needs %1 %2 %3 and %12\r\n"},
      {3002, {}, "KivoTestMulti", 3002, "line one\r\r\nline two % 100%\r\ntab\tend"},
      // No module has the message, or its text overflows the formatting
      // buffer: the insertion strings joined, as without message files.
      {4242, {"un", "used"}, "KivoTestMulti", 4242, "unused"},
      {1000, {too_long}, "KivoTestMulti", 1000, too_long},
      // No message files: the insertion strings joined, parameters untouched.
      {1000, {"disk", "full", "%%1234"}, "KivoTestPlain", 1000, "diskfull%%1234"},
      {1000, {"unknown"}, "KivoNoSuchSource", 1000, "unknown"},
  };
  for (const Case& c : cases) {
    Decode(c.id, c.strings, c.source);
    EXPECT_EQ(c.event_id, event_.event_id) << c.id;
    EXPECT_EQ(c.description, event_.description) << c.id;
  }
}

TEST_P(RecordDecoderTest, TypesAndUsersAreDecoded) {
  struct Case {
    std::vector<unsigned char> sid;
    std::uint16_t type;
    const char* user;
    std::int32_t type_code;
  };
  std::vector<unsigned char> malformed = MakeSid(5, {18});
  malformed[1] = 9;  // claims more sub-authorities than it holds
  const Case cases[] = {
      {{}, 0, "Not Specified", 0},
      {MakeSid(5, {18}), 1, "SYSTEM", 1},
      {{}, 2, "Not Specified", 2},
      {{}, 4, "Not Specified", 3},
      {MakeSid(5, {21, 1, 2, 3, 1001}), 8, "Unknown", 4},
      {malformed, 16, "Unknown", 5},
      {{}, 3, "Not Specified", 3},
      {{}, 32, "Not Specified", 32},
  };
  for (const Case& c : cases) {
    TestEvent event;
    event.source = "KivoTestPlain";
    event.user_sid = c.sid;
    event.event_type = c.type;
    event.category = 7;
    Decode(AnsiRecord(event));
    EXPECT_STREQ(c.user, event_.user) << c.type;
    EXPECT_EQ(c.type_code, event_.event_type) << c.type;
    EXPECT_EQ(7, event_.category);
  }
}

TEST_P(RecordDecoderTest, TraceShowsTheDecodeInOrder) {
  SetLogging(1);
  TestEvent event;
  event.event_id = 2000;
  event.source = "KivoTestMulti";
  event.strings = {"%%1234", "b"};
  event.user_sid = MakeSid(5, {18});
  Decode(AnsiRecord(event));
  // Each module formats with the parameter looked up anew.
  const std::string arguments =
      "stringCount  <2>\nstring 1 <%%1234>\ncall to getParm with index <0> and msgNum <1234>\n"
      "GP:msgmodlist  <" +
      ModuleReference("KivoTestParameters") + ">\nGP:libload  <" +
      ModulePath("KivoTestParameters") +
      ">\nGP:formatmessage returned <14>\nGP:formatmessage  <parameter text>\n"
      "getParm <parameter text>\nargp 1 <parameter text>\nstring 2 <b>\nargp 2 <b>\n";
  EXPECT_EQ(
      "eventID  <2000>\nraw eventID  <2000>\neventType  <3>\neventCategory <0>\n"
      "eventSource  <KivoTestMulti>\nModuleList  <" +
          ModuleReference("KivoTestFirst") + ";" + ModuleReference("KivoTestSecond") +
          ">\nlibLoad  <" + ModulePath("KivoTestFirst") + ">\n" + arguments +
          "FormatMessage 1 returned <0>\nmsgFormat 1  <>\nFormatMessage 2 returned <0>\n"
          "msgFormat 2  <>\nlibLoad  <" +
          ModulePath("KivoTestSecond") + ">\n" + arguments +
          "FormatMessage 1 returned <25>\nmsgFormat 1  <second module %1 and %2\n>\n"
          "FormatMessage 2 returned <36>\n"
          "msgFormat 2  <second module parameter text and b\n>\n"
          "computerName  <KIVOHOST>\nLooking up SID\nfound sid for SYSTEM\n",
      Trace());
}

TEST_P(RecordDecoderTest, ThirtyParameterTextsAtMostInOneDecode) {
  const std::vector<std::string> strings(31, "%%1234");
  Decode(1000, strings);
  SetLogging(1);
  Decode(1000, strings);
  EXPECT_EQ("first module parameter text\r\n", event_.description);
  EXPECT_THAT(Trace(), HasSubstr("GP:localParmList exceeded  <30>\n"));
  // The slots are empty again for the next record; two percent signs alone
  // ask for parameter 0.
  Decode(2000, {"%%1234", "%%"});
  EXPECT_THAT(Trace(), HasSubstr("call to getParm with index <0> and msgNum <0>\n"));
  EXPECT_THAT(event_.description, ::testing::StartsWith("second module parameter text and "));
}

TEST_P(RecordDecoderTest, NamesLongerThanTheirFieldAreCut) {
  TestEvent event;
  event.source = std::string(300, 's');
  event.computer = std::string(400, 'c');
  event.strings = {std::string(7000, 'd')};
  Decode(AnsiRecord(event));
  EXPECT_EQ(std::string(255, 's'), event_.source);
  EXPECT_EQ(std::string(255, 'c'), event_.computer);
  EXPECT_EQ(std::string(7000, 'd'), event_.description);
}

// A decode that throws while modules are loaded (here the formatting of a
// parameter, with the message module loaded too) gives every module back.
TEST(RecordDecoderFaultTest, ModulesAreGivenBackWhenADecodeThrows) {
  class ThrowingMessages : public platform::FakeMessages {
   public:
    std::uint32_t Format(std::uint32_t, platform::ModuleHandle, std::uint32_t, char*, std::uint32_t,
                         const char* const*) override {
      throw std::runtime_error("no formatting today");
    }
  };
  ThrowingMessages messages;
  messages.AddModule("m.dll", {{1000, "text %1"}});
  messages.AddModule("p.dll", {{5, "parameter"}});
  platform::FakeRegistry registry;
  ASSERT_TRUE(RegisterEventSource(registry, "Application", "KivoTest", "m.dll", "p.dll"));
  TestEvent event;
  event.strings = {"%%5"};
  const std::vector<unsigned char> record = AnsiRecord(event);
  eventlog::RecordDecoder decoder(messages, registry);
  eventlog::DecodedEvent decoded;
  EXPECT_THROW(
      decoder.DecodeRecord(0, record.data(), static_cast<std::uint32_t>(record.size()), decoded),
      std::runtime_error);
  EXPECT_EQ(0, messages.loaded_modules());
}

TEST_P(RecordDecoderTest, LogRecordNumberAndTimeGeneratedAreKept) {
  platform::evt::EventRecordFields fields = ToFields(TestEvent());
  fields.record_number = 4000000123u;
  fields.time_generated = 1700000042u;
  Decode(platform::evt::EncodeRecord(fields, platform::evt::RecordEncoding::kAnsi));
  EXPECT_STREQ("Application", event_.log_name);
  EXPECT_EQ(4000000123u, event_.record_number);
  EXPECT_EQ(1700000042u, event_.time_generated);
}

DecodePlatform MakeInMemoryPlatform() {
  auto messages = std::make_unique<platform::FakeMessages>();
  messages->SetEnvironment(kModuleDirVariable, KIVO_TEST_MESSAGE_DIR);
  for (const char* module : {"KivoTestFirst", "KivoTestSecond", "KivoTestParameters"}) {
    messages->AddModuleFromMc(ModulePath(module),
                              ReadFileBytes(std::string(KIVO_TEST_MC_DIR) + "/" + module + ".mc"));
  }
  messages->AddAccount(MakeSid(5, {18}), "SYSTEM", "NT AUTHORITY");
  return {MakeFakeRegistry(), std::move(messages)};
}
INSTANTIATE_TEST_SUITE_P(InMemory, RecordDecoderTest, ::testing::Values(&MakeInMemoryPlatform));

#ifdef _WIN32
DecodePlatform MakeWin32Platform() {
  static const std::string assignment =
      std::string(kModuleDirVariable) + "=" + KIVO_TEST_MESSAGE_DIR;
  _putenv(assignment.c_str());
  return {MakeWin32Registry(), std::make_unique<platform::Win32Messages>()};
}
INSTANTIATE_TEST_SUITE_P(Win32, RecordDecoderTest, ::testing::Values(&MakeWin32Platform));
#endif

}  // namespace
}  // namespace kivo::testing
