// The syslog stage sending to real UDP listeners on loopback: the datagrams
// byte for byte, and the destinations it serves and skips.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "forwarding/ForwardingFixture.h"
#include "forwarding/SyslogStage.h"
#include "platform/fake/Cp1252Text.h"
#include "platform/fake/FakeStreams.h"

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

// The optional values of an entry: RFC 5424 over UDP, TCP and TLS framed
// by octet counting, and values that name nothing known or cannot be read,
// which fail that destination's send with the reason (a CA file that cannot
// be read never falls back to other roots). The others are served.
TEST_F(SyslogStageTest, ProtocolFormatAndTlsValuesChooseHowADestinationIsServed) {
  UseSyslog(0);
  const auto entry = [&](std::int32_t number, std::int32_t port,
                         const std::vector<std::string>& names,
                         const std::vector<std::string>& values) {
    WriteEntry("Syslog", number, names, values);
    config_->WriteNumber("syslogport", port);
  };
  entry(0, first_.Port(), {"sysloghost", "format"}, {"127.0.0.1", "RFC5424"});
  entry(1, 601, {"sysloghost", "protocol"}, {"127.0.0.1", "tcp"});
  entry(2, 6514, {"sysloghost", "protocol", "tlsname", "tlsca"},
        {"127.0.0.1", "tls", "logs.example", "C:\\ca.pem"});
  entry(3, 6514, {"sysloghost", "protocol"}, {"127.0.0.1", "sctp"});
  entry(4, 6514, {"sysloghost", "protocol", "tlsca"}, {"127.0.0.1", "tls", std::string(200, 'c')});
  platform::FakeStreams streams;
  platform::Cp1252Text ansi;
  forwarding::SyslogStage stage(sockets_);
  stage.EnableStreams(
      {streams, ansi, nullptr, nullptr, nullptr, forwarding::StreamDestination::Delivery::kHold});
  OwnedEvent event(4624, 4, 12544, "Security", "KIVOHOST", "SYSTEM", "An account logged on.");
  forwarding::EventRecord record = event.View();
  config::TraceFile trace;
  const forwarding::SendOutcomes outcomes = stage.Run(*config_, record, true, trace);

  const std::string message =
      "<27>1 1970-01-01T00:00:00.000Z KIVOHOST Security - 4624 [kivo@5309 log=\"\" record=\"0\" "
      "type=\"4\" category=\"12544\" user=\"SYSTEM\"] \xEF\xBB\xBF"
      "An account logged on.";
  EXPECT_EQ(BytesOf(message), first_.Receive(kArrives).value_or(Bytes()));
  ASSERT_EQ(2u, streams.peers.size());  // no connection for 3 and 4
  const std::string classic = forwarding::SyslogStage::Message(record);
  EXPECT_EQ(std::to_string(classic.size()) + " " + classic, streams.peers[0]->received);
  EXPECT_TRUE(streams.peers[1]->tls);
  ASSERT_EQ(1u, streams.tls_requests.size());
  EXPECT_EQ("logs.example", streams.tls_requests[0].server_name);
  EXPECT_EQ("C:\\ca.pem", streams.tls_requests[0].ca_file);
  ASSERT_EQ(5u, outcomes.size());
  for (int i = 0; i < 3; ++i) EXPECT_TRUE(outcomes[i].sent) << i;
  EXPECT_EQ("unknown protocol \"sctp\"", outcomes[3].reason);
  EXPECT_EQ("\"tlsca\" cannot be read", outcomes[4].reason);
  EXPECT_FALSE(outcomes[3].sent || outcomes[4].sent);
}

// Without "resume", frames for a server that is away wait in the queue and
// go out, in order, once it takes connections again.
TEST_F(SyslogStageTest, QueuedFramesGoOutWhenTheServerIsBack) {
  UseSyslog(0);
  WriteEntry("Syslog", 0, {"sysloghost", "protocol"}, {"127.0.0.1", "tcp"});
  config_->WriteNumber("syslogport", 601);
  platform::FakeStreams streams;
  streams.connects.push_back(platform::FakeStreams::Refuse(platform::StreamError::Code(10061)));
  platform::Cp1252Text ansi;
  std::int64_t now = 0;
  forwarding::SyslogStage stage(sockets_);
  stage.EnableStreams({streams, ansi, nullptr, nullptr, nullptr,
                       forwarding::StreamDestination::Delivery::kQueue, [&now] { return now; }});
  config::TraceFile trace;
  std::vector<std::string> frames;
  for (const char* text : {"one", "two"}) {
    OwnedEvent event(1, 3, 0, "Source", "HOST", "user", text);
    forwarding::EventRecord record = event.View();
    const forwarding::SendOutcomes outcomes = stage.Run(*config_, record, true, trace);
    ASSERT_EQ(1u, outcomes.size());
    EXPECT_FALSE(outcomes[0].sent);
    EXPECT_EQ(10061u, outcomes[0].error);
    const std::string message = forwarding::SyslogStage::Message(record);
    frames.push_back(std::to_string(message.size()) + " " + message);
  }
  EXPECT_TRUE(streams.peers.empty());
  now += 1000;  // the wait after the refused connect is over
  const forwarding::SendOutcomes flushed = stage.Flush(trace);
  ASSERT_EQ(1u, flushed.size());
  EXPECT_TRUE(flushed[0].sent);
  EXPECT_FALSE(flushed[0].counted);
  ASSERT_EQ(1u, streams.peers.size());
  EXPECT_EQ(frames[0] + frames[1], streams.peers[0]->received);
  EXPECT_TRUE(stage.Flush(trace).empty());
}

}  // namespace
}  // namespace kivo::testing
