// The .evt-file event log: records as ReadEventLogA returns them, its own
// error codes, a header left stale by a writer that died, and the text
// conversions of its records.

#include <gtest/gtest.h>

#include <fstream>

#include "evtfile/EvtLogFixture.h"
#include "platform/evtfile/EvtFile.h"
#include "platform/evtfile/TextCodec.h"

namespace kivo::testing {
namespace {

using platform::EvtFileEventLog;
using platform::evt::RecordEncoding;

constexpr std::uint32_t kSeekForwards =
    platform::kEventLogSeekRead | platform::kEventLogForwardsRead;

class EvtFileEventLogTest : public EvtLogFixture {
 protected:
  // Reads one record; the error code when that fails.
  std::uint32_t ReadOne(EvtFileEventLog& log, platform::EventLogHandle handle, std::uint32_t n,
                        std::vector<unsigned char>* record) {
    std::uint32_t read = 0, needed = 0;
    unsigned char probe[1];
    if (log.Read(handle, kSeekForwards, n, probe, 0, &read, &needed)) return 0;
    if (log.LastError() != platform::kErrorInsufficientBuffer) return log.LastError();
    record->assign(needed, 0);
    if (!log.Read(handle, kSeekForwards, n, record->data(), needed, &read, &needed)) {
      return log.LastError();
    }
    EXPECT_EQ(record->size(), read);
    return 0;
  }
  std::vector<std::string> Strings(const std::vector<unsigned char>& record) {
    platform::evt::EventRecordFields fields;
    EXPECT_TRUE(platform::evt::DecodeRecord(
        record.data(), static_cast<std::uint32_t>(record.size()), RecordEncoding::kAnsi, &fields));
    std::vector<std::string> strings;
    for (const auto& s : fields.strings) strings.push_back(platform::evt::Utf16ToUtf8(s));
    return strings;
  }
  void Corrupt(std::uint64_t offset, const std::string& bytes) {
    std::fstream file(path_, std::ios::in | std::ios::out | std::ios::binary);
    file.seekp(static_cast<std::streamoff>(offset));
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  }
};

TEST_F(EvtFileEventLogTest, RecordsComeBackAsReadEventLogAReturnsThem) {
  ASSERT_TRUE(Writer().Create(platform::evt::EvtFileWriter::kDefaultMaxSize));
  TestEvent event;
  event.event_id = 0xC0000BB8;
  event.event_type = 16;
  event.category = 3;
  event.source = "Quelle-é";
  event.computer = "HÔTE";
  event.user_sid = MakeSid(5, {18});
  event.strings = {"5 € für Café", "日本", ""};
  event.data = {1, 2, 3};
  ASSERT_EQ(1u, Append(event));

  EvtFileEventLog log(registry_, messages_);
  const auto handle = log.Open("Application");
  ASSERT_NE(platform::kNoEventLog, handle);
  std::vector<unsigned char> record;
  ASSERT_EQ(0u, ReadOne(log, handle, 1, &record));
  auto expected = AnsiRecord(event);
  expected[8] = 1;  // the record number
  EXPECT_EQ(expected, record);
  EXPECT_EQ((std::vector<std::string>{"5 € für Café", "??", ""}), Strings(record));
  log.Close(handle);
}

TEST_F(EvtFileEventLogTest, MissingFileAndRecordGiveThePlatformsCodes) {
  ASSERT_TRUE(Writer().Create(platform::evt::EvtFileWriter::kDefaultMaxSize));
  EvtFileEventLog log(registry_, messages_);
  EXPECT_EQ(platform::kNoEventLog, log.Open("Security"));
  EXPECT_EQ(platform::kErrorFileNotFound, log.LastError());
  // Empty-log, past-the-end and cleared-log reads are cases of the event log contract.
  const auto handle = log.Open("Application");
  std::vector<unsigned char> record;
  Append(Event("one"));
  EXPECT_EQ(platform::kErrorInvalidParameter, ReadOne(log, handle, 0, &record));
}

TEST_F(EvtFileEventLogTest, StaleDirtyHeaderIsReadThroughTheEofRecord) {
  ASSERT_TRUE(Writer().Create(0x1000));
  Append(Event("clean"));
  for (int i = 0; i < 30; ++i) Append(Event("dirty " + std::to_string(i), 20), true);
  EvtFileEventLog log(registry_, messages_);
  const auto handle = log.Open("Application");
  std::uint32_t count = 0, oldest = 0;
  ASSERT_TRUE(log.CountRecords(handle, &count));
  ASSERT_TRUE(log.OldestRecord(handle, &oldest));
  EXPECT_EQ(32u, oldest + count);
  std::vector<unsigned char> record;
  ASSERT_EQ(0u, ReadOne(log, handle, 31, &record));
  EXPECT_EQ(std::vector<std::string>{"dirty 29"}, Strings(record));
  // A header that lies even about its end: the EOF record is found anyway.
  Corrupt(0x14, std::string("\x30\0\0\0", 4));
  ASSERT_TRUE(log.CountRecords(handle, &count));
  EXPECT_EQ(32u, oldest + count);
}

TEST(TextCodecTest, ConvertsBetweenUtf16Cp1252AndUtf8) {
  using namespace platform::evt;
  struct Case {
    std::string utf8;
    std::string cp1252;
  };
  const Case cases[] = {
      {"plain", "plain"},
      {"€‚ƒ„…†‡ˆ‰Š‹ŒŽ‘’“”•–—˜™š›œžŸ",
       "\x80\x82\x83\x84\x85\x86\x87\x88\x89\x8a\x8b\x8c\x8e\x91"
       "\x92\x93\x94\x95\x96\x97\x98\x99\x9a\x9b\x9c\x9e\x9f"},
      {"é ÿ\u00a0", "\xe9 \xff\xa0"},
      {"Ā 日本 😀", "? ?? ?"},
  };
  for (const Case& c : cases) {
    const std::u16string wide = Utf8ToUtf16(c.utf8);
    EXPECT_EQ(c.cp1252, Utf16ToCp1252(wide)) << c.utf8;
    EXPECT_EQ(c.utf8, Utf16ToUtf8(wide));
    if (c.cp1252.find('?') == std::string::npos) {
      EXPECT_EQ(wide, Cp1252ToUtf16(c.cp1252));
    }
  }
  EXPECT_FALSE(IsValidUtf8("\xe9t\xe9"));
  EXPECT_TRUE(IsValidUtf8("été"));
  EXPECT_EQ(u"\xfffd", Utf8ToUtf16("\xc3"));
}

}  // namespace
}  // namespace kivo::testing
