#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "config/RegistryConfig.h"
#include "eventlog/EventLogReader.h"
#include "platform/evtfile/EvtFileEventLog.h"
#include "platform/evtfile/EvtFileWriter.h"
#include "platform/fake/FakeEventLog.h"
#include "platform/fake/FakePause.h"
#include "platform/win32/Win32Messages.h"
#include "platform/win32/Win32Registry.h"
#include "support/EventRecords.h"
#include "support/TestSupport.h"

namespace kivo::testing {
namespace {

// Decoding with the real platform under Wine: the registry names the test
// message modules, which LoadLibraryExA loads and FormatMessageA formats.
class DecodeWithPlatformMessagesTest : public ::testing::Test {
 protected:
  static constexpr char kSources[] = "SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application\\";

  void SetUp() override {
    for (const char* source : {"KivoTestMulti", "KivoTestPlain"}) {
      DeleteRegistryTree(registry_, std::string(kSources) + source);
    }
    const std::string dir = KIVO_TEST_MESSAGE_DIR;
    AddSource("KivoTestMulti", dir + "\\KivoTestFirst.dll;" + dir + "\\KivoTestSecond.dll",
              dir + "\\KivoTestParameters.dll");
    AddSource("KivoTestPlain", "", "");
    config::RegistryConfig config(registry_, nullptr);
    config.SetLogging(0);
    log_.AddLog("Application");
    reader_ = std::make_unique<eventlog::EventLogReader>(log_, messages_, pause_, registry_);
  }
  void TearDown() override {
    reader_.reset();
    for (const char* source : {"KivoTestMulti", "KivoTestPlain"}) {
      DeleteRegistryTree(registry_, std::string(kSources) + source);
    }
  }
  void AddSource(const std::string& source, const std::string& events,
                 const std::string& parameters) {
    ASSERT_TRUE(RegisterEventSource(registry_, "Application", source, events, parameters));
  }
  void Fetch(const TestEvent& event) {
    log_.Append("Application", AnsiRecord(event));
    ASSERT_TRUE(reader_->FetchNext());
  }

  ScopedTempDir dir_;
  platform::Win32Registry registry_;
  platform::Win32Messages messages_;
  platform::FakeEventLog log_;
  platform::FakePause pause_;
  std::unique_ptr<eventlog::EventLogReader> reader_;
};

TEST_F(DecodeWithPlatformMessagesTest, DescriptionsComeFromTheRegisteredModules) {
  struct Case {
    std::uint32_t id;
    std::vector<std::string> strings;
    const char* source;
    std::int32_t event_id;
    const char* description;
  };
  const Case cases[] = {
      {1000, {"from the first"}, "KivoTestMulti", 1000, "first module from the first\r\n"},
      {2000, {"x", "y"}, "KivoTestMulti", 2000, "second module x and y\r\n"},
      {2000, {"%%1234", "y"}, "KivoTestMulti", 2000, "second module parameter text and y\r\n"},
      // The system's own table stands behind the parameter module ...
      {2000, {"%%999", "y"}, "KivoTestMulti", 2000, "second module Swap error.\r\n and y\r\n"},
      // ... and a number that neither has leaves the insertion string.
      {2000, {"%%805240833", "y"}, "KivoTestMulti", 2000, "second module %%805240833 and y\r\n"},
      {0xC0000BB8, {"disk"}, "KivoTestMulti", 3000, "error with severity disk\r\n"},
      {3001, {"x"}, "KivoTestMulti", 3001, "needs x %2 %3 and %12\r\n"},
      {3002, {}, "KivoTestMulti", 3002, "line one\r\r\nline two % 100%\r\ntab\tend"},
      {1000, {"disk", "full"}, "KivoTestPlain", 1000, "diskfull"},
  };
  for (const Case& c : cases) {
    TestEvent event;
    event.event_id = c.id;
    event.source = c.source;
    event.strings = c.strings;
    Fetch(event);
    EXPECT_EQ(c.event_id, reader_->GetEventId()) << c.id;
    EXPECT_STREQ(c.description, reader_->GetDescription()) << c.id;
  }
}

TEST_F(DecodeWithPlatformMessagesTest, UsersAndTypesAreDecoded) {
  struct Case {
    std::vector<unsigned char> sid;
    std::uint16_t type;
    const char* user;
    std::int32_t type_code;
  };
  const Case cases[] = {
      {{}, 8, "Not Specified", 4},
      {MakeSid(5, {18}), 16, "SYSTEM", 5},
      {MakeSid(5, {32, 544}), 4, "Administrators", 3},
      {MakeSid(5, {21, 1, 2, 3, 1001}), 1, "Unknown", 1},
  };
  for (const Case& c : cases) {
    TestEvent event;
    event.source = "KivoTestPlain";
    event.user_sid = c.sid;
    event.event_type = c.type;
    Fetch(event);
    EXPECT_STREQ(c.user, reader_->GetUser());
    EXPECT_EQ(c.type_code, reader_->GetEventType());
  }
}

// The .evt-file log as kivo-evtfile.exe uses it: the log's file named by a
// REG_EXPAND_SZ "File" in the real registry, expanded by the real
// ExpandEnvironmentStringsA.
TEST(EvtFileLogWithPlatformRegistryTest, FindsTheLogFileThroughTheRegistry) {
  ScopedTempDir dir;
  platform::Win32Registry registry;
  platform::Win32Messages messages;
  const std::string key_path =
      std::string(platform::EvtFileEventLog::kEventLogKey) + "\\KivoTestLog";
  DeleteRegistryTree(registry, key_path);
  std::unique_ptr<platform::RegistryKey> key;
  ASSERT_EQ(platform::kRegSuccess, registry.Create(key_path, &key));
  const std::string value = "%TEMP%\\" + dir.path().filename().string() + "\\Kivo.evt";
  key->SetValue("File", platform::RegType::kExpandText, value.c_str(),
                static_cast<std::uint32_t>(value.size() + 1));
  platform::evt::EvtFileWriter writer((dir.path() / "Kivo.evt").string());
  ASSERT_TRUE(writer.Create(0x10000));
  std::uint32_t number = 0;
  platform::evt::EventRecordFields fields;
  fields.source = u"KivoTest";
  ASSERT_TRUE(writer.Append(fields, &number));

  auto log = platform::MakeEventLog(registry, messages);
  const platform::EventLogHandle handle = log->Open("KivoTestLog");
  ASSERT_NE(platform::kNoEventLog, handle);
  std::uint32_t count = 0;
  EXPECT_TRUE(log->CountRecords(handle, &count));
  EXPECT_EQ(1u, count);
  log->Close(handle);
  key.reset();
  DeleteRegistryTree(registry, key_path);
}

}  // namespace
}  // namespace kivo::testing
