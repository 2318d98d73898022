#include <cstring>

#include <gtest/gtest.h>

#include "eventlog/ReaderFixture.h"

namespace kivo::testing {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;

// Decoding with in-memory message modules: the logic around the platform's
// formatter. The same cases with the real formatter run under Wine.
class DecodeRecordTest : public ReaderFixture {
 protected:
  void SetUp() override {
    ReaderFixture::SetUp();
    SetLogging(0);
    messages_.SetEnvironment("SystemRoot", "C:\\windows");
    messages_.AddModule("C:\\windows\\first.dll", {{1000, "first module %1\r\n"}});
    messages_.AddModule("C:\\windows\\second.dll", {{2000, "second module %1 and %2\r\n"},
                                                    {0xC0000BB8, "error with severity %1\r\n"},
                                                    {3001, "needs %1 %2 %3 and %12\r\n"}});
    messages_.AddModule("C:\\windows\\params.dll",
                        {{1234, "parameter text"}, {0, "parameter zero"}, {7, "has %1 insert"}});
    AddSource("Application", "Multi", "%SystemRoot%\\first.dll;%SystemRoot%\\second.dll",
              "%SystemRoot%\\params.dll");
    AddSource("Application", "Plain", "");
    reader_ = MakeReader();
  }

  // Lets the reader fetch one event of the Application log.
  void Fetch(const TestEvent& event) {
    log_.Append("Application", AnsiRecord(event));
    ASSERT_TRUE(reader_->FetchNext());
  }
  static TestEvent Event(std::uint32_t id, std::vector<std::string> strings,
                         const std::string& source = "Multi") {
    TestEvent event;
    event.event_id = id;
    event.source = source;
    event.strings = std::move(strings);
    return event;
  }

  std::unique_ptr<eventlog::EventLogReader> reader_;
};

TEST_F(DecodeRecordTest, DescriptionComesFromTheModuleThatHasTheMessage) {
  struct Case {
    std::uint32_t id;
    std::vector<std::string> strings;
    const char* description;
  };
  const Case cases[] = {
      {1000, {"a"}, "first module a\r\n"},
      {2000, {"a", "b"}, "second module a and b\r\n"},
      {2000, {"%%1234", "b"}, "second module parameter text and b\r\n"},
      {2000, {"%%", "%%1234 trailing"}, "second module parameter zero and parameter text\r\n"},
      // A parameter that is not found leaves the insertion string as it is.
      {2000, {"%%999", "b"}, "second module %%999 and b\r\n"},
      // A parameter text's own inserts are not read from anywhere.
      {2000, {"%%7", "b"}, "second module has %1 insert and b\r\n"},
      // Inserts the record does not carry stay as markers.
      {3001, {"x"}, "needs x %2 %3 and %12\r\n"},
      {3001, {}, "needs %1 %2 %3 and %12\r\n"},
      // No module has the message: the description stays empty.
      {4242, {"unused"}, ""},
  };
  for (const Case& c : cases) {
    Fetch(Event(c.id, c.strings));
    EXPECT_STREQ(c.description, reader_->GetDescription()) << c.id;
    EXPECT_EQ(static_cast<std::int32_t>(c.id & 0xFFFF), reader_->GetEventId());
  }
  EXPECT_EQ(0, messages_.loaded_modules());
}

TEST_F(DecodeRecordTest, EventIdKeepsLowBitsWhileTheMessageIsLookedUpWithAll) {
  SetLogging(1);
  Fetch(Event(0xC0000BB8, {"disk"}));
  EXPECT_EQ(3000, reader_->GetEventId());
  EXPECT_STREQ("error with severity disk\r\n", reader_->GetDescription());
  const auto lines = Trace();
  EXPECT_THAT(lines, Contains("eventID  <3000>"));
  EXPECT_THAT(lines, Contains("raw eventID  <3221228472>"));
}

TEST_F(DecodeRecordTest, TypesAreConvertedByTheTable) {
  const std::pair<std::uint16_t, std::int32_t> types[] = {{0, 0}, {1, 1},  {2, 2}, {4, 3},
                                                          {8, 4}, {16, 5}, {3, 3}, {32, 32}};
  for (const auto& [platform_type, code] : types) {
    TestEvent event = Event(1000, {"x"});
    event.event_type = platform_type;
    event.category = 7;
    Fetch(event);
    EXPECT_EQ(code, reader_->GetEventType()) << platform_type;
    EXPECT_EQ(7, reader_->GetCategory());
  }
}

TEST_F(DecodeRecordTest, SourceWithoutMessageFilesJoinsItsStrings) {
  Fetch(Event(1, {"disk", "full", "%%1234"}, "Plain"));
  EXPECT_STREQ("diskfull%%1234", reader_->GetDescription());
  Fetch(Event(1, {"unknown"}, "NoSuchSource"));
  EXPECT_STREQ("unknown", reader_->GetDescription());
}

TEST_F(DecodeRecordTest, UserIsTheAccountNameOrSaysWhyNot) {
  const auto system = MakeSid(5, {18});
  messages_.AddAccount(system, "SYSTEM", "NT AUTHORITY");
  TestEvent event = Event(1000, {"x"});
  Fetch(event);
  EXPECT_STREQ("Not Specified", reader_->GetUser());
  event.user_sid = system;
  Fetch(event);
  EXPECT_STREQ("SYSTEM", reader_->GetUser());
  event.user_sid = MakeSid(5, {21, 1, 2, 3, 1001});
  Fetch(event);
  EXPECT_STREQ("Unknown", reader_->GetUser());
  event.user_sid = MakeSid(5, {18});
  event.user_sid[1] = 9;  // claims more sub-authorities than it holds
  Fetch(event);
  EXPECT_STREQ("Unknown", reader_->GetUser());
}

TEST_F(DecodeRecordTest, TraceShowsTheDecodeInOrder) {
  SetLogging(1);
  messages_.AddAccount(MakeSid(5, {18}), "SYSTEM", "NT AUTHORITY");
  TestEvent event = Event(2000, {"%%1234", "b"});
  event.user_sid = MakeSid(5, {18});
  log_.Append("Application", AnsiRecord(event));
  ClearTrace();
  ASSERT_TRUE(reader_->ReadFromLog(0));
  EXPECT_THAT(
      Trace(),
      ElementsAre(
          "reading event log Application", "tried to read size, status is <0> and error is <122>",
          ::testing::StartsWith("read size success: size is "), ::testing::StartsWith("Read <"),
          "eventID  <2000>", "raw eventID  <2000>", "eventType  <3>", "eventCategory <0>",
          "eventSource  <Multi>", "ModuleList  <%SystemRoot%\\first.dll;%SystemRoot%\\second.dll>",
          "libLoad  <C:\\windows\\first.dll>", "stringCount  <2>", "string 1 <%%1234>",
          "call to getParm with index <0> and msgNum <1234>",
          "GP:msgmodlist  <%SystemRoot%\\params.dll>", "GP:libload  <C:\\windows\\params.dll>",
          "GP:formatmessage returned <14>", "GP:formatmessage  <parameter text>",
          "getParm <parameter text>", "argp 1 <parameter text>", "string 2 <b>", "argp 2 <b>",
          "FormatMessage 1 returned <0>", "msgFormat 1  <>", "FormatMessage 2 returned <0>",
          "msgFormat 2  <>", "libLoad  <C:\\windows\\second.dll>", "stringCount  <2>",
          "string 1 <%%1234>", "call to getParm with index <0> and msgNum <1234>",
          "GP:msgmodlist  <%SystemRoot%\\params.dll>", "GP:libload  <C:\\windows\\params.dll>",
          "GP:formatmessage returned <14>", "GP:formatmessage  <parameter text>",
          "getParm <parameter text>", "argp 1 <parameter text>", "string 2 <b>", "argp 2 <b>",
          "FormatMessage 1 returned <25>", "msgFormat 1  <second module %1 and %2", ">",
          "FormatMessage 2 returned <36>", "msgFormat 2  <second module parameter text and b", ">",
          "computerName  <KIVOHOST>", "Looking up SID", "found sid for SYSTEM"));
}

TEST_F(DecodeRecordTest, MoreThanThirtyParametersInOneDecodeAreNotStored) {
  std::vector<std::string> strings(31, "%%1234");
  Fetch(Event(1000, strings));
  SetLogging(1);
  ClearTrace();
  Fetch(Event(1000, strings));
  EXPECT_STREQ("first module parameter text\r\n", reader_->GetDescription());
  EXPECT_THAT(Trace(), Contains("GP:localParmList exceeded  <30>"));
  // The slots are empty again for the next record.
  Fetch(Event(2000, {"%%1234", "%%0"}));
  EXPECT_STREQ("second module parameter text and parameter zero\r\n", reader_->GetDescription());
}

TEST_F(DecodeRecordTest, DescriptionTooLongForTheFormatterStaysEmpty) {
  messages_.AddModule("C:\\windows\\first.dll", {{1000, "%1%1%1%1%1"}});
  Fetch(Event(1000, {std::string(1000, 'x')}));
  EXPECT_STREQ("", reader_->GetDescription());
}

TEST_F(DecodeRecordTest, NamesLongerThanTheirFieldAreCut) {
  TestEvent event = Event(1, {std::string(9000, 'd')}, std::string(300, 's'));
  event.computer = std::string(400, 'c');
  log_.Append("Application", AnsiRecord(event));
  // The record is too big for the buffer, so shrink the strings until it fits.
  event.strings = {std::string(7000, 'd')};
  log_.DropOldest("Application", 1);
  Fetch(event);
  EXPECT_EQ(std::string(255, 's'), reader_->GetSource());
  EXPECT_EQ(std::string(255, 'c'), reader_->GetComputer());
  EXPECT_EQ(std::string(7000, 'd'), reader_->GetDescription());
}

TEST_F(DecodeRecordTest, BrokenRecordsDecodeWithoutReadingOutside) {
  TestEvent event = Event(1000, {"a", "b"}, "Plain");
  event.user_sid = MakeSid(5, {18});
  const auto good = AnsiRecord(event);
  struct Case {
    const char* what;
    std::uint32_t offset;
    std::uint32_t value;
  };
  const Case cases[] = {
      {"string offset past the end", 0x24, 0xFFFFFFF0},
      {"more strings than present", 0x1A, 60000},
      {"sid offset past the end", 0x2C, 0x7FFFFFFF},
      {"sid length past the end", 0x28, 0xFFFFFFFF},
      {"length larger than read", 0x00, 0x10000},
      {"length smaller than the fixed part", 0x00, 4},
  };
  for (const Case& c : cases) {
    auto record = good;
    for (int i = 0; i < 4; ++i)
      record[c.offset + i] = static_cast<unsigned char>(c.value >> (8 * i));
    log_.Append("Application", record);
    ASSERT_TRUE(reader_->FetchNext()) << c.what;
    EXPECT_LT(std::strlen(reader_->GetDescription()), 8u) << c.what;
  }
  // Unterminated names end with the record.
  std::vector<unsigned char> truncated(good.begin(), good.begin() + 0x3A);
  truncated[0] = 0x3A;
  log_.Append("Application", truncated);
  ASSERT_TRUE(reader_->FetchNext());
  EXPECT_STREQ("Pl", reader_->GetSource());
  EXPECT_STREQ("", reader_->GetComputer());
}

}  // namespace
}  // namespace kivo::testing
