// `kivo -s`: the state the service published, joined with what the logs
// hold now.

#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "eventlog/LogPositions.h"
#include "forwarding/ServiceStatus.h"
#include "platform/fake/FakeEventLog.h"
#include "platform/fake/FakeRegistry.h"
#include "service/StatusCommand.h"

namespace kivo::testing {
namespace {

using forwarding::ServiceStatus;
using service::StatusCommand;

constexpr std::int64_t kNow = 1733500000;  // 2024-12-06 15:46:40 UTC

class StatusCommandTest : public ::testing::Test {
 protected:
  void SetUp() override {
    log_.AddLog("Application");
    log_.AddLog("Security", 4000);
    for (int i = 0; i < 6; ++i) log_.Append("Application", std::vector<unsigned char>(56, 0));
    for (int i = 0; i < 3; ++i) log_.Append("Security", std::vector<unsigned char>(56, 0));
  }
  std::string Print() {
    std::ostringstream out;
    StatusCommand(registry_, log_).Print(out, kNow);
    return out.str();
  }

  platform::FakeRegistry registry_;
  platform::FakeEventLog log_;  // no System log
};

TEST_F(StatusCommandTest, RunningServiceShowsBacklogHeldEventAndDestinations) {
  ServiceStatus status;
  status.published = kNow - 1;
  status.running = true;
  status.logs = {{"Application", true, 3}, {"Security", true, 4003}, {"System", false, 0}};
  status.held = ServiceStatus::Held{"Application", 3, 4};
  status.destinations = {
      {"trap", 0, false, 0, 12, 0, "the trap destination 127.0.0.1:162", ""},
      {"syslog", 2, true, kNow - 30, 3, 5, "the syslog destination 2 (loghost:514)",
       "No such host is known. (error 11001)"}};
  forwarding::StatusPublisher(registry_).Publish(status);
  EXPECT_EQ(
      "kivo is running (state of 2024-12-06 15:46:39 UTC)\n"
      "Application: next record 3, newest record 6, 4 records wait\n"
      "Security: next record 4003, newest record 4002, 0 records wait\n"
      "System: not read\n"
      "held: record 3 of Application, next try in 4 s\n"
      "the trap destination 127.0.0.1:162: working, 12 sent, 0 failed\n"
      "the syslog destination 2 (loghost:514): failing since 2024-12-06 15:46:10 UTC (No such "
      "host is known. (error 11001)), 3 sent, 5 failed\n",
      Print());
}

TEST_F(StatusCommandTest, StoppedServiceShowsKeptPositions) {
  EXPECT_EQ(
      "kivo has published no state: it has not run since it was installed\n"
      "Application: no kept position\nSecurity: no kept position\nSystem: no kept position\n",
      Print());
  ServiceStatus status;
  status.published = kNow - 3600;
  status.running = true;  // but long ago: it ended without saying so
  forwarding::StatusPublisher(registry_).Publish(status);
  std::unique_ptr<platform::RegistryKey> key;
  ASSERT_EQ(platform::kRegSuccess, registry_.Create(eventlog::LogPositions::KeyPath(), &key));
  const unsigned char kept[8] = {2, 0, 0, 0, 0x11, 0x22, 0x33, 0x44};
  key->SetValue("Application", platform::RegType::kBinary, kept, sizeof(kept));
  key->SetValue("Security", platform::RegType::kBinary, kept, 2);
  EXPECT_EQ(
      "kivo is not running (last state of 2024-12-06 14:46:40 UTC)\n"
      "Application: kept position 2, newest record 6, 5 records wait\n"
      "Security: the kept position is damaged (a value of 2 bytes, not 8)\n"
      "System: no kept position\n",
      Print());
}

TEST(StatusTimes, CalendarDatesInUtc) {
  const struct {
    std::int64_t seconds;
    const char* text;
  } cases[] = {{0, "1970-01-01 00:00:00 UTC"},
               {-1, "1969-12-31 23:59:59 UTC"},
               {951782400, "2000-02-29 00:00:00 UTC"},
               {kNow, "2024-12-06 15:46:40 UTC"},
               {4102444799, "2099-12-31 23:59:59 UTC"}};
  for (const auto& c : cases) EXPECT_EQ(c.text, StatusCommand::UtcTime(c.seconds)) << c.seconds;
}

TEST(StatusFormat, RoundTripsAndRefusesOtherTexts) {
  ServiceStatus status;
  status.published = kNow;
  status.running = true;
  status.logs = {{"Application", true, 0xFFFFFFFF}};
  status.destinations = {{"syslog", 0, true, kNow, 1, 2, "tab\there", "line\r\nbreak"}};
  const std::optional<ServiceStatus> back = ServiceStatus::Decode(status.Encode());
  ASSERT_TRUE(back.has_value());
  EXPECT_EQ(0xFFFFFFFFu, back->logs[0].next_record);
  EXPECT_EQ("tab here", back->destinations[0].label);
  EXPECT_EQ("line  break", back->destinations[0].last_error);
  EXPECT_FALSE(back->held.has_value());
  for (const char* text : {"", "kivo status 2\n", "kivo status 1\npublished\tsoon\trunning\t1\n"}) {
    EXPECT_FALSE(ServiceStatus::Decode(text).has_value()) << text;
  }
}

}  // namespace
}  // namespace kivo::testing
