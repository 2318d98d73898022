// The .evt-file event log: records as ReadEventLogA returns them, their
// texts converted. Its order, clear, wrap and error cases are the reader's
// scenarios and the event log contract; damaged files are the fuzzer's.

#include <gtest/gtest.h>

#include "evtfile/EvtLogFixture.h"

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

}  // namespace
}  // namespace kivo::testing
