// The .evt-file event log: records as ReadEventLogA returns them, their
// texts converted. Its order, clear, wrap and error cases are the reader's
// scenarios and the event log contract; damaged files are the fuzzer's.

#include <gtest/gtest.h>

#include "evtfile/EvtLogFixture.h"
#include "platform/evtfile/TextCodec.h"

namespace kivo::testing {
namespace {

TEST(EvtFileEventLog, RecordsComeBackAsReadEventLogAReturnsThem) {
  ScopedTempDir dir;
  platform::FakeRegistry registry;
  platform::FakeMessages messages;
  RegisterLogFile(registry, messages, "Application", dir.path().string(), "Application.evt");
  platform::evt::EvtFileWriter writer((dir.path() / "Application.evt").string());
  ASSERT_TRUE(writer.Create(platform::evt::EvtFileWriter::kDefaultMaxSize));
  TestEvent event;
  event.event_id = 0xC0000BB8;
  event.event_type = 16;
  event.category = 3;
  event.source = "Quelle-é";
  event.computer = "HÔTE";
  event.user_sid = MakeSid(5, {18});
  event.strings = {"5 € für Café", "日本", ""};
  event.data = {1, 2, 3};
  std::uint32_t number = 0;
  ASSERT_TRUE(writer.Append(ToFields(event), &number));

  platform::EvtFileEventLog log(registry, messages);
  const auto handle = log.Open("Application");
  std::vector<unsigned char> record(4096);
  std::uint32_t read = 0, needed = 0;
  ASSERT_TRUE(log.Read(handle, platform::kEventLogSeekRead | platform::kEventLogForwardsRead, 1,
                       record.data(), 4096, &read, &needed));
  record.resize(read);
  auto expected = AnsiRecord(event);
  expected[8] = 1;  // the record number
  EXPECT_EQ(expected, record);
  platform::evt::EventRecordFields fields;
  ASSERT_TRUE(platform::evt::DecodeRecord(record.data(), read, platform::evt::RecordEncoding::kAnsi,
                                          &fields));
  EXPECT_EQ((std::vector<std::u16string>{u"5 € für Café", u"??", u""}), fields.strings);
  log.Close(handle);
}

// evtutil reads its arguments as UTF-8 and the files hold UTF-16; the
// service reads them as Windows-1252.
TEST(TextCodecTest, ConvertsBetweenUtf16Cp1252AndUtf8) {
  using namespace platform::evt;
  const std::pair<std::string, std::string> cases[] = {
      {"€‚ƒ„…†‡ˆ‰Š‹ŒŽ‘’“”•–—˜™š›œžŸ",
       "\x80\x82\x83\x84\x85\x86\x87\x88\x89\x8a\x8b\x8c\x8e\x91"
       "\x92\x93\x94\x95\x96\x97\x98\x99\x9a\x9b\x9c\x9e\x9f"},
      {"plain é ÿ\u00a0", "plain \xe9 \xff\xa0"},
      {"Ā 日本 😀", "? ?? ?"},
  };
  for (const auto& [utf8, cp1252] : cases) {
    const std::u16string wide = Utf8ToUtf16(utf8);
    EXPECT_EQ(cp1252, Utf16ToCp1252(wide)) << utf8;
    EXPECT_EQ(utf8, Utf16ToUtf8(wide));
    if (cp1252.find('?') == std::string::npos) {
      EXPECT_EQ(wide, Cp1252ToUtf16(cp1252));
    }
  }
  EXPECT_FALSE(IsValidUtf8("\xe9t\xe9"));
  EXPECT_FALSE(IsValidUtf8("\xed\xa0\x80"));  // a surrogate
  EXPECT_TRUE(IsValidUtf8("été"));
  EXPECT_EQ(u"\xfffd", Utf8ToUtf16("\xc3"));
}

}  // namespace
}  // namespace kivo::testing
