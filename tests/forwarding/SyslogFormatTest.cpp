// The syslog messages byte for byte: today's, the RFC 5424 form with its
// fields, escapes, cuts and BOM, the octet-counting frame, and the cut of a
// UTF-8 message to a datagram. Texts come in Windows-1252, converted in
// memory natively and by the system (MultiByteToWideChar) under Wine.

#include <gtest/gtest.h>

#include <string>

#include "forwarding/ForwardingFixture.h"
#include "forwarding/SyslogFormat.h"
#include "forwarding/SyslogStage.h"
#ifdef _WIN32
#include "platform/win32/Win32AnsiText.h"
#else
#include "platform/fake/Cp1252Text.h"
#endif

namespace kivo::testing {
namespace {

using forwarding::SyslogFormat;

class SyslogFormatTest : public ::testing::Test {
 protected:
  std::string Format(SyslogFormat format, OwnedEvent& event, std::uint32_t time = 1700000042) {
    forwarding::EventRecord record = event.View();
    record.log_name = "Security";
    record.record_number = 4000000001u;
    record.time_generated = time;
    std::string message = "left from before";
    formatter_.Format(format, record, message);
    return message;
  }

#ifdef _WIN32
  platform::Win32AnsiText ansi_;
#else
  platform::Cp1252Text ansi_;
#endif
  forwarding::SyslogFormatter formatter_{ansi_};
};

TEST_F(SyslogFormatTest, Rfc5424CarriesTheRecordInItsFieldsAndTheTextInUtf8) {
  OwnedEvent event(4624, 4, 12544, "Microsoft Windows security", "DC01", "ad\"m]i\\n \xE9",
                   "Caf\xE9 \xFC"
                   "ber\r\n\x80 5\r\n");
  // The line break inside stays; the one that ends the message text goes.
  EXPECT_EQ(
      "<27>1 2023-11-14T22:14:02.000Z DC01 Microsoft_Windows_security - 4624 [kivo@5309 "
      "log=\"Security\" record=\"4000000001\" type=\"4\" category=\"12544\" "
      "user=\"ad\\\"m\\]i\\\\n \xC3\xA9\"] \xEF\xBB\xBF"
      "Caf\xC3\xA9 \xC3\xBC"
      "ber\r\n\xE2\x82\xAC 5",
      Format(SyslogFormat::kRfc5424, event));
}

TEST_F(SyslogFormatTest, Rfc5424HeaderFieldsArePrintableAsciiCutOrNil) {
  const struct {
    std::string source, computer, app_name, host_name;
  } cases[] = {
      {"", "", "-", "-"},
      {std::string(60, 'a'), std::string(300, 'h'), std::string(48, 'a'), std::string(255, 'h')},
      {"Sch\xE9ma\tX", "MY HOST\x7F", "Sch_ma_X", "MY_HOST_"},
  };
  for (const auto& c : cases) {
    OwnedEvent event(1, 3, 0, c.source, c.computer, "u", "d");
    EXPECT_EQ("<29>1 2023-11-14T22:14:02.000Z " + c.host_name + " " + c.app_name +
                  " - 1 [kivo@5309 log=\"Security\" record=\"4000000001\" type=\"3\" "
                  "category=\"0\" user=\"u\"] \xEF\xBB\xBF"
                  "d",
              Format(SyslogFormat::kRfc5424, event))
        << c.source;
  }
}

TEST_F(SyslogFormatTest, TimestampIsTheTimeGeneratedInUtc) {
  const struct {
    std::uint32_t seconds;
    const char* text;
  } cases[] = {{0, "1970-01-01T00:00:00.000Z"},
               {951782400, "2000-02-29T00:00:00.000Z"},
               {1709251199, "2024-02-29T23:59:59.000Z"},
               {4294967295u, "2106-02-07T06:28:15.000Z"}};
  OwnedEvent event = StartedEvent();
  for (const auto& c : cases) {
    EXPECT_EQ(c.text, Format(SyslogFormat::kRfc5424, event, c.seconds).substr(6, 24));
  }
}

TEST_F(SyslogFormatTest, ClassicIsTodaysMessage) {
  OwnedEvent event(7036, 2, 0, "Service Control Manager", "HOST", "SYSTEM", "Caf\xE9\r\n");
  forwarding::EventRecord record = event.View();
  EXPECT_EQ(forwarding::SyslogStage::Message(record), Format(SyslogFormat::kClassic, event));
  EXPECT_EQ("<28>Service Control Manager: SYSTEM: Caf\xE9\r\n",
            Format(SyslogFormat::kClassic, event));
}

TEST(SyslogFramingTest, OctetCountingAndUtf8Cuts) {
  std::string frame = "old";
  forwarding::FrameOctetCounted("<29>1 hi", frame);
  EXPECT_EQ("8 <29>1 hi", frame);
  forwarding::FrameOctetCounted("", frame);
  EXPECT_EQ("0 ", frame);

  const struct {
    const char* message;
    std::size_t limit, cut;
  } cuts[] = {{"abc", 5, 3},
              {"ab\xC3\xA9", 3, 2},
              {"ab\xC3\xA9", 4, 4},
              {"\xE2\x82\xAC"
               "x",
               2, 0},
              {"ab\xF0\x9F\x98\x80", 5, 2}};
  for (const auto& c : cuts) {
    EXPECT_EQ(c.cut, forwarding::Utf8CutLength(c.message, c.limit)) << c.message;
  }
}

}  // namespace
}  // namespace kivo::testing
