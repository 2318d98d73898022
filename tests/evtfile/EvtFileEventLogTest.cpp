// The .evt-file event log: records as ReadEventLogA returns them, their
// texts converted. Its order, clear, wrap and error cases are the reader's
// scenarios and the event log contract; damaged files are the fuzzer's.

#include <gtest/gtest.h>

#include "eventlog/RawEventRecord.h"
#include "evtfile/EvtLogFixture.h"
#include "platform/evtfile/TextCodec.h"

namespace kivo::testing {
namespace {

// One log file, named in the registry as NT names it.
class EvtFileEventLogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RegisterLogFile(registry_, messages_, "System", dir_.path().string(), "System.evt");
    ASSERT_TRUE(writer_.Create(platform::evt::EvtFileWriter::kDefaultMaxSize));
  }
  // Appends the event, then reads it back through a new handle.
  std::vector<unsigned char> ReadBack(const TestEvent& event) {
    std::uint32_t number = 0;
    EXPECT_TRUE(writer_.Append(ToFields(event), &number));
    platform::EvtFileEventLog log(registry_, messages_);
    const auto handle = log.Open("System");
    std::vector<unsigned char> record(4096);
    std::uint32_t read = 0, needed = 0;
    EXPECT_TRUE(log.Read(handle, platform::kEventLogSeekRead | platform::kEventLogForwardsRead,
                         number, record.data(), 4096, &read, &needed));
    log.Close(handle);
    record.resize(read);
    return record;
  }

  ScopedTempDir dir_;
  platform::FakeRegistry registry_;
  platform::FakeMessages messages_;
  platform::evt::EvtFileWriter writer_{(dir_.path() / "System.evt").string()};
};

TEST_F(EvtFileEventLogTest, RecordsComeBackAsReadEventLogAReturnsThem) {
  TestEvent event;
  event.event_id = 0xC0000BB8;
  event.event_type = 16;
  event.category = 3;
  event.source = "Quelle-é";
  event.computer = "HÔTE";
  event.user_sid = MakeSid(5, {18});
  event.strings = {"5 € für Café", "日本", ""};
  event.data = {1, 2, 3};
  const std::vector<unsigned char> record = ReadBack(event);
  auto expected = AnsiRecord(event);
  expected[8] = 1;  // the record number
  EXPECT_EQ(expected, record);
  platform::evt::EventRecordFields fields;
  ASSERT_TRUE(platform::evt::DecodeRecord(record.data(), static_cast<std::uint32_t>(record.size()),
                                          platform::evt::RecordEncoding::kAnsi, &fields));
  EXPECT_EQ((std::vector<std::u16string>{u"5 € für Café", u"??", u""}), fields.strings);
}

// Strings come back in the system's ANSI code page, which Windows names in
// the registry (Windows-1252 when it names none): a character the page
// lacks becomes "?". Natively through iconv, in the Windows build through
// WideCharToMultiByte: the same bytes.
TEST_F(EvtFileEventLogTest, StringsComeBackInTheSystemsCodePage) {
  const std::string kWestern =
      "\x80\x82\x83\x84\x85\x86\x87\x88\x89\x8a\x8b\x8c\x8e\x91\x92\x93\x94\x95\x96\x97\x98\x99"
      "\x9a\x9b\x9c\x9e\x9f f\xfcr \xe9\xff\xa0 ?? ? ?";
  const struct {
    const char* code_page;
    std::string bytes;
  } cases[] = {
      {nullptr, kWestern},
      {"1252", kWestern},
      {"1251",
       "\x88\x82?\x84\x85\x86\x87?\x89?\x8b??\x91\x92\x93\x94\x95\x96\x97?\x99?\x9b??? f?r ??\xa0 "
       "?? "
       "\xcf ?"},
      {"932",
       "????\x81"
       "c\x81\xf5\x81\xf6?\x81\xf1????\x81"
       "e\x81"
       "f\x81g\x81h?????????? f?r ??? "
       "\x93\xfa\x96{ \x84P ?"},
  };
  TestEvent event;
  event.strings = {"€‚ƒ„…†‡ˆ‰Š‹ŒŽ‘’“”•–—˜™š›œžŸ für éÿ\u00a0 日本 П Ā"};
  for (const auto& c : cases) {
    if (c.code_page != nullptr) {
      ASSERT_TRUE(WriteValue(registry_, platform::EvtFileEventLog::kCodePageKey, "ACP",
                             {platform::RegType::kText, std::string(c.code_page) + '\0'}));
    }
    const std::vector<unsigned char> record = ReadBack(event);
    const eventlog::RawEventRecord raw(record.data(), static_cast<std::uint32_t>(record.size()));
    EXPECT_EQ(c.bytes, std::string(raw.InsertionStrings().at(0))) << c.code_page;
  }
}

// evtutil reads its arguments as UTF-8, or as Windows-1252 when they are
// not UTF-8, and dumps the files' UTF-16 as UTF-8.
TEST(TextCodecTest, ConvertsBetweenUtf16Cp1252AndUtf8) {
  using namespace platform::evt;
  const std::pair<std::string, std::string> cases[] = {
      {"€‚ƒ„…†‡ˆ‰Š‹ŒŽ‘’“”•–—˜™š›œžŸ",
       "\x80\x82\x83\x84\x85\x86\x87\x88\x89\x8a\x8b\x8c\x8e\x91"
       "\x92\x93\x94\x95\x96\x97\x98\x99\x9a\x9b\x9c\x9e\x9f"},
      {"plain é ÿ\u00a0", "plain \xe9 \xff\xa0"},
  };
  for (const auto& [utf8, cp1252] : cases) {
    const std::u16string wide = Utf8ToUtf16(utf8);
    EXPECT_EQ(wide, Cp1252ToUtf16(cp1252)) << utf8;
    EXPECT_EQ(utf8, Utf16ToUtf8(wide));
  }
  EXPECT_EQ("Ā 日本 😀", Utf16ToUtf8(Utf8ToUtf16("Ā 日本 😀")));
  EXPECT_FALSE(IsValidUtf8("\xe9t\xe9"));
  EXPECT_FALSE(IsValidUtf8("\xed\xa0\x80"));  // a surrogate
  EXPECT_TRUE(IsValidUtf8("été"));
  EXPECT_EQ(u"\xfffd", Utf8ToUtf16("\xc3"));
}

}  // namespace
}  // namespace kivo::testing
