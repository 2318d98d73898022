// The syslog stage sending to real UDP listeners on loopback: the datagrams
// byte for byte, and the destinations it serves and skips.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "forwarding/ForwardingFixture.h"
#include "forwarding/SyslogStage.h"

namespace kivo::testing {
namespace {

class SyslogStageTest : public StoreFixture {
 protected:
  void Run(OwnedEvent& event, bool passed, bool tracing = false) {
    config::TraceFile trace = config::TraceFile::OpenIf(tracing);
    forwarding::EventRecord record = event.View();
    forwarding::SyslogStage(sockets_).Run(*config_, record, passed, trace);
  }

  LoopbackListener first_, second_;
};

TEST_F(SyslogStageTest, PriorityFollowsTheTypeCode) {
  // type code: 0 success, 1 error, 2 warning, 3 information, 4 audit success,
  // 5 audit failure, and one the platform never gives.
  const std::int32_t priorities[] = {29, 27, 28, 29, 27, 29, 29};
  UseSyslog(0);
  AddSyslog("localhost", first_.Port());
  for (std::int32_t type = 0; type < 7; ++type) {
    OwnedEvent event(6005, type, 0, "EventLog", "HOST", "Not Specified", "line one\r\nline two");
    Run(event, true);
    EXPECT_EQ(BytesOf("<" + std::to_string(priorities[type]) +
                      ">EventLog: Not Specified: line one\r\nline two"),
              first_.Receive(kArrives).value_or(Bytes()))
        << "type " << type;
  }
}

TEST_F(SyslogStageTest, UseFiltersDecidesForRejectedEvents) {
  AddSyslog("127.0.0.1", first_.Port());
  OwnedEvent event = StartedEvent();
  UseSyslog(0);
  Run(event, false);
  EXPECT_TRUE(first_.Receive(kArrives).has_value());
  UseSyslog(1);
  Run(event, false, true);
  EXPECT_FALSE(first_.Receive(kStaysAway).has_value());
  EXPECT_EQ("syslog using filters and event is filtered...not forwarding\r\n", Trace());
  Run(event, true);
  EXPECT_TRUE(first_.Receive(kArrives).has_value());
}

TEST_F(SyslogStageTest, MissingUseFiltersIsWrittenAndTheEventIsNotSent) {
  AddSyslog("127.0.0.1", first_.Port());  // creates "Syslog" without "usefilters"
  OwnedEvent event = StartedEvent();
  Run(event, true, true);
  EXPECT_FALSE(first_.Receive(kStaysAway).has_value());
  config_->Open("Syslog");
  EXPECT_EQ(0, config_->GetUseFilters());
  Run(event, true, true);
  EXPECT_TRUE(first_.Receive(kArrives).has_value());
}

TEST_F(SyslogStageTest, WithoutSyslogKeyOrDestinationsNothingIsSentOrTraced) {
  OwnedEvent event = StartedEvent();
  Run(event, true, true);
  EXPECT_FALSE(KeyExists(registry_, StorePath("Syslog")));  // and it is not created
  UseSyslog(0);
  Run(event, true, true);
  EXPECT_EQ("", Trace());
}

// Entries 0, 1 (without a port) and 3: every entry there is is served in
// number order, and the one that cannot be read is skipped with a line.
TEST_F(SyslogStageTest, EveryReadableEntryIsServedGapsIncluded) {
  UseSyslog(0);
  WriteEntry("Syslog", 3, {"sysloghost"}, {"localhost"});
  config_->WriteNumber("syslogport", second_.Port());
  WriteEntry("Syslog", 1, {"sysloghost"}, {"127.0.0.1"});  // no port
  WriteEntry("Syslog", 0, {"sysloghost"}, {"127.0.0.1"});
  config_->WriteNumber("syslogport", first_.Port());
  OwnedEvent event = StartedEvent();
  config::TraceFile trace = config::TraceFile::OpenIf(true);
  forwarding::EventRecord record = event.View();
  const forwarding::SendOutcomes outcomes =
      forwarding::SyslogStage(sockets_).Run(*config_, record, true, trace);
  trace.Close();
  EXPECT_TRUE(first_.Receive(kArrives).has_value());
  EXPECT_TRUE(second_.Receive(kArrives).has_value());
  ASSERT_EQ(2u, outcomes.size());
  EXPECT_EQ(forwarding::DestinationId::Syslog(0), outcomes[0].destination);
  EXPECT_EQ("the syslog destination 3 (localhost:" + std::to_string(second_.Port()) + ")",
            outcomes[1].label);
  EXPECT_TRUE(outcomes[0].sent && outcomes[1].sent);
  EXPECT_NE(std::string::npos,
            Trace().find("cannot read syslogport of syslog destination 1, destination skipped"));
}

}  // namespace
}  // namespace kivo::testing
