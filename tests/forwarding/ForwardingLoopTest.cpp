// The run loop over the scripted event logs, the in-memory store, the fake
// pause and perf data, with traps and syslog datagrams sent through real
// sockets to listeners on loopback; and one event's whole trace, byte for
// byte, from the event pipeline.

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "eventlog/LogPositions.h"
#include "forwarding/BurstCache.h"
#include "forwarding/EventPipeline.h"
#include "forwarding/ForwardingFixture.h"
#include "forwarding/ForwardingLoop.h"
#include "forwarding/ScriptedHost.h"
#include "forwarding/ServiceStatus.h"
#include "platform/fake/FakeEventLog.h"
#include "platform/fake/FakeMessages.h"
#include "platform/fake/FakePause.h"
#include "platform/fake/FakeSecrets.h"
#include "platform/fake/FaultyEventLog.h"
#include "snmp/ScriptedReceiver.h"
#include "support/EventRecords.h"

namespace kivo::testing {
namespace {

// The system's sockets, except that opening a socket throws while `throws`
// is set: a failure the stages do not expect.
class ThrowingSockets : public SystemSockets {
 public:
  platform::SocketError OpenUdpSocket(platform::SocketHandle* socket) override {
    if (throws) throw std::runtime_error("no sockets today");
    return SystemSockets::OpenUdpSocket(socket);
  }
  bool throws = false;
};

class ForwardingLoopTest : public StoreFixture {
 protected:
  void SetUp() override {
    StoreFixture::SetUp();
    for (const char* name : {"Application", "Security", "System"}) log_.AddLog(name);
    UseSyslog(0);
    AddSyslog("127.0.0.1", syslog_.Port());
  }

  void RunLoop(ScriptedHost& host) { RunLoop(host, sockets_); }
  void RunLoop(ScriptedHost& host, platform::Sockets& sockets) {
    forwarding::ForwardingLoop loop(
        {registry_, log_, messages_, pause_, sockets, perf_, [this] { return now_; }});
    loop.Work(host);
  }
  void AppendEvent(const std::string& description = "Started", std::uint32_t id = 6005,
                   const std::string& log = "System") {
    TestEvent event;
    event.event_id = id;
    event.event_type = 4;  // information: type code 3
    event.source = "EventLog";
    event.strings = {description};
    log_.Append(log, AnsiRecord(event));
  }
  std::optional<Bytes> Syslog(int timeout = kArrives) { return syslog_.Receive(timeout); }
  std::optional<Bytes> Trap(int timeout = kArrives) { return trap_listener_.Receive(timeout); }

  platform::FakeEventLog log_;
  platform::FakeMessages messages_;
  platform::FakePause pause_;
  LoopbackListener syslog_;
  std::int64_t now_ = kNow;
};

TEST_F(ForwardingLoopTest, StartWritesMissingTrapOptionsOnly) {
  DeleteRootValue("iec");
  DeleteRootValue("stripCRLF");
  SetNumber("ien", 0);
  SetText("senderOID", "1.3.6.1.4.1.99");
  ScriptedHost first({});
  RunLoop(first);
  EXPECT_TRUE(first.keeps_counter());
  config_->Open("");
  for (const char* flag : {"iec", "iecn", "ied", "ien", "ies", "iet", "ieu"}) {
    EXPECT_EQ(1, config_->ReadNumber(flag)) << flag;
  }
  EXPECT_EQ("", config_->GetSenderOid());
  EXPECT_EQ(0, config_->GetStripCrlf());

  SetNumber("ien", 0);
  SetNumber("stripCRLF", 1);
  ScriptedHost second({});
  RunLoop(second);
  config_->Open("");
  EXPECT_EQ(0, config_->GetIen());
  EXPECT_EQ(1, config_->GetStripCrlf());
}

TEST_F(ForwardingLoopTest, IdleRoundsAdvanceTheCounterAndBurstsRunToTheEnd) {
  ScriptedHost host({[] {}, [this] { AppendEvent("one"), AppendEvent("two"); }, [] {}});
  RunLoop(host);
  EXPECT_EQ(3, host.idle_rounds());
  EXPECT_EQ(4, host.running_checks());  // never between the events of a burst
  EXPECT_EQ(5, pause_.waits());         // one per fetch: 1 + (2 events + 1) + 1
  EXPECT_EQ(0, log_.open_handles());    // stopping closed the three logs
  EXPECT_EQ(BytesOf("<29>EventLog: Not Specified: one"), Syslog().value_or(Bytes()));
  EXPECT_EQ(BytesOf("<29>EventLog: Not Specified: two"), Syslog().value_or(Bytes()));
  EXPECT_TRUE(Trap().has_value());
  EXPECT_TRUE(Trap().has_value());
}

// Both switches on: one event per test of the running flag, the logs in
// turn, the store read again only once its second is over, a pause only
// after a fetch that found nothing, and what a stop left is sent at the
// next start. A start without "resume" forgets the positions.
TEST_F(ForwardingLoopTest, BurstTakesTheLogsInTurnAndResumeSendsWhatTheStopLeft) {
  SetNumber("burst", 1);
  SetNumber("resume", 1);
  ScriptedHost busy({[this] {
                       for (const char* text : {"app 1", "app 2", "app 3"}) {
                         AppendEvent(text, 1, "Application");
                       }
                       AppendEvent("sec", 1, "Security");
                       AppendEvent("sys 1"), AppendEvent("sys 2"), AppendEvent("sys 3");
                     },
                     [] {}, [] {}, [] {}});
  RunLoop(busy);
  EXPECT_EQ(0, busy.idle_rounds());
  LoopbackListener moved;
  ScriptedHost restarted(
      {[] {}, [&] { SetNumber("port", moved.Port()); }, [this] { ++now_; }, [] {}, [] {}});
  RunLoop(restarted);
  for (int i = 0; i < 6; ++i) EXPECT_TRUE(Trap().has_value()) << "to the old port " << i;
  EXPECT_TRUE(moved.Receive(kArrives).has_value());
  for (const char* text : {"app 1", "sec", "sys 1", "app 2", "app 3", "sys 2", "sys 3"}) {
    EXPECT_EQ(BytesOf(std::string("<29>EventLog: Not Specified: ") + text),
              Syslog().value_or(Bytes()));
  }
  EXPECT_FALSE(Syslog(kStaysAway).has_value());
  EXPECT_EQ(1, pause_.waits());
  EXPECT_EQ(2, restarted.idle_rounds());

  const std::string positions = eventlog::LogPositions::KeyPath();
  EXPECT_TRUE(ReadValue(registry_, positions, "System").has_value());
  SetNumber("resume", 0);
  ScriptedHost without({});
  RunLoop(without);
  EXPECT_FALSE(ReadValue(registry_, positions, "System").has_value());
}

// Each fault hits one event; the next event, with the fault mended, must
// arrive as a trap and as a syslog message.
TEST_F(ForwardingLoopTest, FaultsAreSurvivedAndTheNextEventIsForwarded) {
  std::uint16_t closed_port = 0;
  {
    LoopbackListener gone;
    closed_port = gone.Port();
  }
  const std::vector<std::pair<std::function<void()>, std::function<void()>>> faults = {
      {[&] {  // no Syslog key
         config_->ClearSyslogHosts();
         std::unique_ptr<platform::RegistryKey> root;
         ASSERT_EQ(platform::kRegSuccess, registry_.Open(config::names::kRootPath, &root));
         ASSERT_EQ(platform::kRegSuccess, root->DeleteSubkey("Syslog"));
       },
       [&] { UseSyslog(0), AddSyslog("127.0.0.1", syslog_.Port()); }},
      {[&] { SetText("destination", "nothing.invalid"); },
       [&] { SetText("destination", "127.0.0.1"); }},
      {[&] { SetNumber("port", closed_port); },  // nobody listening for traps
       [&] { SetNumber("port", trap_listener_.Port()); }},
  };
  std::vector<std::function<void()>> rounds;
  for (const auto& [inflict, mend] : faults) {
    rounds.push_back([&] { inflict(), AppendEvent("hit"); });
    rounds.push_back([&] { mend(), AppendEvent("good"); });
  }
  ScriptedHost host(rounds);
  RunLoop(host);
  for (LoopbackListener* listener : {&trap_listener_, &syslog_}) {
    int good = 0;
    while (auto datagram = listener->Receive(kStaysAway)) {
      good += std::string(datagram->begin(), datagram->end()).find("good") != std::string::npos;
    }
    EXPECT_EQ(static_cast<int>(faults.size()), good);
  }
}

TEST_F(ForwardingLoopTest, EventWhoseHandlingThrowsIsDroppedAndTheLoopGoesOn) {
  ThrowingSockets sockets;
  ScriptedHost host({
      [&] { sockets.throws = true, AppendEvent("lost"); },
      [&] { sockets.throws = false, AppendEvent("forwarded"); },
  });
  RunLoop(host, sockets);
  EXPECT_EQ(2, host.idle_rounds());
  EXPECT_EQ(BytesOf("<29>EventLog: Not Specified: forwarded"), Syslog().value_or(Bytes()));
  EXPECT_TRUE(Trap().has_value());
  EXPECT_FALSE(Trap(kStaysAway).has_value());
}

// A log that cannot be read is reported in the Application log once, with
// the system's text of the error.
TEST_F(ForwardingLoopTest, ALogThatCannotBeReadIsReported) {
  platform::FaultyEventLog faulty(log_);
  faulty.Fail("Security", platform::FaultyEventLog::Call::kOpen, 1722);
  messages_.SetSystemMessage(1722, "The RPC server is unavailable.\r\n");
  ScriptedHost host({[] {}, [] {}});
  forwarding::ForwardingLoop loop(
      {registry_, faulty, messages_, pause_, sockets_, perf_, [this] { return now_; }});
  loop.Work(host);
  EXPECT_EQ(std::vector<std::string>{"111|Security|The RPC server is unavailable. (error 1722)"},
            host.reported());
}

// With "resume", a send that fails on this machine holds the event: it is
// sent again after 1 s, then 2 s, to the destination it failed at alone,
// while the event behind it waits; the outage is reported once, and so is
// its end. The published state says how each destination fared.
TEST_F(ForwardingLoopTest, FailedSendHoldsTheEventUntilItGoesOutWhereItFailed) {
  SetNumber("resume", 1);
  LoopbackListener second;
  AddSyslog("nothing.invalid", second.Port());
  const auto mend = [&] {
    config_->Open("Syslog");
    config_->OpenEntry(1);
    config_->SetSyslogHost("127.0.0.1");
  };
  std::vector<std::function<void()>> rounds = {[this] { AppendEvent("one"), AppendEvent("two"); }};
  rounds.resize(11, [] {});
  rounds[4] = mend;
  ScriptedHost host(rounds);
  RunLoop(host);

  for (LoopbackListener* syslog : {&syslog_, &second}) {
    for (const char* text : {"one", "two"}) {
      EXPECT_EQ(BytesOf(std::string("<29>EventLog: Not Specified: ") + text),
                syslog->Receive(kArrives).value_or(Bytes()));
    }
    EXPECT_FALSE(syslog->Receive(kStaysAway).has_value());
  }
  EXPECT_TRUE(Trap().has_value());
  EXPECT_TRUE(Trap().has_value());
  EXPECT_FALSE(Trap(kStaysAway).has_value());
  // Fetches of half a second each (one, two and two that found nothing), and
  // 1 s and 2 s of waits.
  EXPECT_EQ(4u * 500 + 1000 + 2000, pause_.total_milliseconds());
  const std::string port = std::to_string(second.Port());
  EXPECT_EQ((std::vector<std::string>{
                "109|the syslog destination 1 (nothing.invalid:" + port + ")|error 11001",
                "110|the syslog destination 1 (127.0.0.1:" + port + ")"}),
            host.reported());

  const std::optional<forwarding::ServiceStatus> status =
      forwarding::ReadPublishedStatus(registry_);
  ASSERT_TRUE(status.has_value());
  EXPECT_FALSE(status->running);
  ASSERT_EQ(3u, status->destinations.size());
  const forwarding::ServiceStatus::Destination& failed = status->destinations[2];
  EXPECT_EQ("syslog", failed.kind);
  EXPECT_EQ(1, failed.number);
  EXPECT_FALSE(failed.failing);
  EXPECT_EQ(2u, failed.sent);
  EXPECT_EQ(2u, failed.failed);
  EXPECT_EQ("error 11001", failed.last_error);
}

// Without "resume" a datagram that cannot be sent is lost, as it always
// was; the outage is reported all the same.
TEST_F(ForwardingLoopTest, WithoutResumeAFailedSendIsLostAndReported) {
  SetText("destination", "nothing.invalid");
  ScriptedHost host({[this] { AppendEvent("lost"); },
                     [this] { SetText("destination", "127.0.0.1"), AppendEvent("next"); }});
  RunLoop(host);
  EXPECT_EQ(BytesOf("<29>EventLog: Not Specified: lost"), Syslog().value_or(Bytes()));
  EXPECT_EQ(BytesOf("<29>EventLog: Not Specified: next"), Syslog().value_or(Bytes()));
  EXPECT_TRUE(Trap().has_value());
  EXPECT_FALSE(Trap(kStaysAway).has_value());
  EXPECT_EQ(2u, host.reported().size());
}

// An inform that no response acknowledged is a failed send: with "resume"
// its event is held and sent again (the inform only, not the syslog
// message) until a response comes; the event behind it waits. In burst
// mode, as a flood goes, the answers pass the loop's sockets.
TEST_F(ForwardingLoopTest, UnacknowledgedInformIsHeldAndSentAgain) {
  for (const char* name : {"resume", "burst", "version", "inform"}) SetNumber(name, 1);
  SetNumber("port", kReceiverPort);
  platform::FakeSockets sockets;
  SystemCrypto crypto;
  platform::FakeSecrets secrets;
  ScriptedReceiver receiver(sockets, crypto, TestUser(crypto, snmp::SecurityLevel::kNoAuthNoPriv));
  receiver.ignore = 4;  // the first inform's four tries
  std::vector<std::function<void()>> rounds = {[this] { AppendEvent("one"), AppendEvent("two"); }};
  rounds.resize(6, [] {});
  ScriptedHost host(rounds);
  forwarding::ForwardingLoop loop(
      {registry_, log_, messages_, pause_, sockets, perf_, [this] { return now_; }, nullptr,
       nullptr, &crypto, &secrets,
       [&sockets] { return static_cast<std::int64_t>(sockets.now_ms); }});
  loop.Work(host);
  std::vector<std::string> informs;
  for (const Bytes& octets : receiver.received) {
    const auto message = snmp::ReadMessage(octets.data(), octets.size());
    if (message && message->pdu && message->pdu->type == snmp::kPduInformRequest) {
      const snmp::ReceivedBinding& description = message->pdu->bindings[7];
      informs.emplace_back(reinterpret_cast<const char*>(description.value.data),
                           description.value.size);
    }
  }
  EXPECT_EQ((std::vector<std::string>{"one", "one", "one", "one", "one", "two"}), informs);
  EXPECT_EQ(2, std::count_if(sockets.sent.begin(), sockets.sent.end(),
                             [](const platform::FakeSockets::Datagram& d) {
                               return d.octets.front() == '<';  // syslog
                             }));
  EXPECT_EQ((std::vector<std::string>{
                "109|the trap destination 127.0.0.1:10162|no response after 4 tries",
                "110|the trap destination 127.0.0.1:10162"}),
            host.reported());
}

class EventPipelineTest : public StoreFixture {
 protected:
  void SetUp() override {
    StoreFixture::SetUp();
    counter_ = std::make_unique<perf::UptimeCounter>(perf_);
    pipeline_ = std::make_unique<forwarding::EventPipeline>(*config_, *counter_, sockets_,
                                                            [] { return kNow; });
    UseSyslog(1);
    AddSyslog("127.0.0.1", syslog_.Port());
    SetNumber("logging", 1);
  }
  void Process(OwnedEvent& event) {
    forwarding::EventRecord record = event.View();
    pipeline_->Process(record);
  }
  void ProcessStarted() {
    OwnedEvent event(6005, 3, 0, "EventLog", "KIVOHOST", "Not Specified", "Started\r\nnow");
    Process(event);
  }
  std::string Destination(int version, const std::string& destination) {
    return "version:" + std::to_string(version) + "\r\ndestination:" + destination +
           "\r\nport:" + std::to_string(trap_listener_.Port()) + "\r\ncommunity:********\r\n";
  }
  const std::string kStartedBlock =
      "EventID:6005\r\nEventType:3\r\nSource:<EventLog>\r\nComputer:<KIVOHOST>\r\n"
      "User:<Not Specified>\r\nDesc:<Started\r\nnow>\r\nCategory:<0>\r\n";

  LoopbackListener syslog_;
  std::unique_ptr<perf::UptimeCounter> counter_;
  std::unique_ptr<forwarding::EventPipeline> pipeline_;
};

// One event of each path, its whole trace byte for byte: every stage writes
// only its own lines, in the order of the stages.
TEST_F(EventPipelineTest, GoldenTraceOfAPassedEvent) {
  AddMap(6005);
  SetNumber("stripCRLF", 1);
  SetNumber("iet", 0), SetNumber("iecn", 0);
  AddFilter("Bogus", "Include", "x");
  AddFilter("EventId", "Include", "6005, 6006");
  AddFilter("EventSource", "Exclude", "Disk");
  ProcessStarted();
  const std::string syslog = "<29>EventLog: Not Specified: Started  now";
  EXPECT_EQ(kStartedBlock + Destination(0, "127.0.0.1") +
                "numfilters:3\r\nfiltername:Bogus\r\ndont know what filtername is\r\n"
                "filtername:EventId\r\nfiltername is eventid\r\neventData is:<6005>\r\n"
                "filterlist is:<6005, 6006>\r\nnexttok is:, 6006\r\nfilterlist is now:6005\r\n"
                "in filterlist\r\nfilterType is:Include\r\nfiltername:EventSource\r\n"
                "filtername is eventsource\r\neventData is:<EventLog>\r\nfilterlist is:<Disk>\r\n"
                "filterlist is now:Disk\r\nnot in filterlist\r\nfiltertype is:Exclude\r\n"
                "not filtered\r\ne.EventId<6005> is mapped\r\nSenderIP is <" +
                agent_ +
                ">\r\nadded event number varbind\r\nadded event source varbind\r\n"
                "stripping event source\r\nadded event user varbind\r\nstripping user\r\n"
                "added event description varbind\r\nstripping description\r\n"
                "added event category varbind\r\nready to communicate with destination <0>\r\n"
                "Sent " +
                std::to_string(ReceiveTrap().size()) + " bytes\r\nsending <" + syslog +
                ">\r\nsent " + std::to_string(syslog.size()) + " bytes\r\n",
            Trace());
}

TEST_F(EventPipelineTest, GoldenTraceOfAFilteredEvent) {
  AddFilter("EventSource", "Include", "Disk");
  AddFilter("EventUser", "Include", "nobody");  // never reached
  ProcessStarted();
  EXPECT_EQ(kStartedBlock + Destination(0, "127.0.0.1") +
                "numfilters:2\r\nfiltername:EventSource\r\nfiltername is eventsource\r\n"
                "eventData is:<EventLog>\r\nfilterlist is:<Disk>\r\nfilterlist is now:Disk\r\n"
                "not in filterlist\r\nfiltertype is:Include\r\nfiltertype is include\r\n"
                "filtered\r\nsyslog using filters and event is filtered...not forwarding\r\n",
            Trace());
  EXPECT_FALSE(trap_listener_.Receive(kStaysAway).has_value());
}

TEST_F(EventPipelineTest, GoldenTraceOfAnEventWhoseTrapFailed) {
  SetNumber("version", 1);
  SetText("destination", "nothing.invalid");
  for (const char* flag : {"ien", "iet", "ies", "iecn", "ieu", "ied", "iec"}) SetNumber(flag, 0);
  config_->ClearSyslogHosts();
  AddSyslog("nothing.invalid", 514);
  AddSyslog("127.0.0.1", syslog_.Port());
  ProcessStarted();
  const std::string syslog = "<29>EventLog: Not Specified: Started\r\nnow";
  EXPECT_EQ(kStartedBlock + Destination(1, "nothing.invalid") +
                "numfilters:0\r\nnot filtered\r\ne.EventId<6005> is not mapped\r\n"
                "failed to communicate with destination <11001>\r\nSent 0 bytes\r\n"
                "failed to send to nothing.invalid on port 514\r\nerror is 11001\r\n"
                "sending <" +
                syslog + ">\r\nsent " + std::to_string(syslog.size()) + " bytes\r\n",
            Trace());
  EXPECT_EQ(BytesOf(syslog), syslog_.Receive(kArrives).value_or(Bytes()));
}

TEST_F(EventPipelineTest, DescriptionTooLongForOneDatagramIsCutToFit) {
  OwnedEvent event(6005, 3, 0, "EventLog", "KIVOHOST", "Not Specified", std::string(70000, 'd'));
  Process(event);
  const std::size_t trap = ReceiveTrap().size();
  EXPECT_LE(trap, 65507u);
  EXPECT_GE(trap, 65500u);
  EXPECT_EQ(65507u, syslog_.Receive(kArrives).value_or(Bytes()).size());
  const std::string trace = Trace();
  EXPECT_NE(std::string::npos, trace.find("bytes to fit one datagram\r\nready to communicate"));
  EXPECT_NE(std::string::npos, trace.find("description cut to 65478 bytes to fit one datagram\r\n"
                                          "sending <<29>EventLog: Not Specified: ddd"));
}

TEST_F(EventPipelineTest, MissingLoggingKeepsThePreviousFlagOnce) {
  OwnedEvent event = StartedEvent();
  Process(event);
  DeleteRootValue("logging");
  std::remove(config::TraceFile::kFileName);
  Process(event);
  EXPECT_NE(std::string::npos, Trace().find("EventID:6005\r\n"));
  config_->Open("");
  EXPECT_EQ(0, config_->GetLogging());
  std::remove(config::TraceFile::kFileName);
  Process(event);
  EXPECT_EQ("", Trace());
}

TEST_F(EventPipelineTest, UnreadableTrapSettingSkipsTheTrapButNotSyslog) {
  UseSyslog(0);
  for (const char* name : {"version", "destination", "port", "community"}) {
    std::remove(config::TraceFile::kFileName);
    DeleteRootValue(name);
    OwnedEvent event = StartedEvent();
    Process(event);
    EXPECT_FALSE(trap_listener_.Receive(kStaysAway).has_value()) << name;
    EXPECT_TRUE(syslog_.Receive(kArrives).has_value()) << name;
    const std::string trace = Trace();
    EXPECT_NE(std::string::npos,
              trace.find("Category:<0>\r\ncannot read " + std::string(name) +
                         ", no trap for this event\r\nnumfilters:0\r\nnot filtered\r\nsending <"))
        << trace;
    // Back to the fixture's value for the next round.
    if (std::string(name) == "version") SetNumber(name, 0);
    if (std::string(name) == "destination") SetText(name, "127.0.0.1");
    if (std::string(name) == "port") SetNumber(name, trap_listener_.Port());
    if (std::string(name) == "community") SetText(name, "public");
  }
}

// In burst mode a decode borrows the message module and, for a parameter, a
// second one while the first is still in use. Both stay loaded for the rest
// of the second; they are freed once it is over, but never while one is lent.
TEST(CachingMessagesTest, KeepsModulesForASecondAndFreesNoneWhileOneIsLent) {
  platform::FakeMessages fake;
  fake.AddModule("m.dll", {{1, "text"}});
  fake.AddModule("p.dll", {{2, "parameter"}});
  std::int64_t now = 0;
  forwarding::CachingMessages messages(fake, [&] { return now; });
  messages.UnloadModule(messages.LoadDataFile("m.dll"));
  EXPECT_EQ(0, fake.loaded_modules());  // not caching: the platform's own
  messages.set_caching(true);
  for (int event = 0; event < 2; ++event) {
    const platform::ModuleHandle m = messages.LoadDataFile("m.dll");
    messages.UnloadModule(messages.LoadDataFile("p.dll"));
    messages.UnloadModule(m);
    EXPECT_EQ(2, fake.loaded_modules());
  }
  ++now;
  const platform::ModuleHandle m = messages.LoadDataFile("m.dll");
  EXPECT_EQ(1, fake.loaded_modules());  // the second is over: loaded anew
  ++now;
  const platform::ModuleHandle p = messages.LoadDataFile("p.dll");
  char text[16] = {};
  EXPECT_EQ(4u, messages.Format(platform::kFormatFromHmodule | platform::kFormatIgnoreInserts, m, 1,
                                text, sizeof(text), nullptr));
  messages.UnloadModule(p), messages.UnloadModule(m);
  EXPECT_EQ(platform::kNoModule, messages.LoadDataFile("missing.dll"));
  EXPECT_EQ(0, fake.loaded_modules());
  messages.LoadDataFile("m.dll");
  messages.set_caching(false);
  EXPECT_EQ(0, fake.loaded_modules());
}

}  // namespace
}  // namespace kivo::testing
