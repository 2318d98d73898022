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

#include "forwarding/EventPipeline.h"
#include "forwarding/ForwardingFixture.h"
#include "forwarding/ForwardingLoop.h"
#include "forwarding/ScriptedHost.h"
#include "platform/fake/FakeEventLog.h"
#include "platform/fake/FakeMessages.h"
#include "platform/fake/FakePause.h"
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
        {registry_, log_, messages_, pause_, sockets, perf_, [] { return kNow; }});
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

TEST_F(ForwardingLoopTest, StripCrlfReachesSyslogOnlyWhenTheTrapStripped) {
  SetNumber("stripCRLF", 1);
  AddFilter("EventDescription", "Exclude", "rejected");
  ScriptedHost host({
      [this] { AppendEvent("passed\r\nline"); },
      [this] { AppendEvent("rejected\r\nline"); },
      [this] { SetNumber("ied", 0), AppendEvent("passed\r\nkept"); },
      [this] { SetNumber("stripCRLF", 0), SetNumber("ied", 1), AppendEvent("passed\r\nplain"); },
  });
  RunLoop(host);
  for (const char* text :
       {"passed  line", "rejected\r\nline", "passed\r\nkept", "passed\r\nplain"}) {
    EXPECT_EQ(BytesOf(std::string("<29>EventLog: Not Specified: ") + text),
              Syslog().value_or(Bytes()));
  }
}

TEST_F(ForwardingLoopTest, EventBlockFollowsTheReadersLinesInTheTrace) {
  SetNumber("logging", 1);
  ScriptedHost host({[this] { AppendEvent("first\r\nsecond", 7036); }});
  RunLoop(host);
  const std::string trace = Trace();
  const auto reader_line = trace.find("ReadEvent(2) was successful \r\n");
  const auto block = trace.find(
      "EventID:7036\r\nEventType:3\r\nSource:<EventLog>\r\nComputer:<KIVOHOST>\r\n"
      "User:<Not Specified>\r\nDesc:<first\r\nsecond>\r\nCategory:<0>\r\nversion:0\r\n");
  ASSERT_NE(std::string::npos, reader_line) << trace;
  ASSERT_NE(std::string::npos, block) << trace;
  EXPECT_LT(reader_line, block);
}

TEST_F(ForwardingLoopTest, MapIsLookedUpByTheLowSixteenBitsOfTheEventIdentifier) {
  SetNumber("logging", 1);
  struct Case {
    std::uint32_t identifier;
    std::int32_t map;
    const char* line;
  } const cases[] = {
      {0xC0001B7C, 7036, "e.EventId<7036> is mapped"},       // severity bits set
      {0x00011B7C, 72572, "e.EventId<7036> is not mapped"},  // 65536 + 7036
  };
  for (const Case& c : cases) {
    std::remove(config::TraceFile::kFileName);
    config_->ClearMaps();
    AddMap(c.map);
    ScriptedHost host({[&] { AppendEvent("Started", c.identifier); }});
    RunLoop(host);
    EXPECT_NE(std::string::npos, Trace().find(std::string(c.line) + "\r\n")) << c.line;
    EXPECT_TRUE(Trap().has_value());
  }
}

// Each fault is followed by a good event, in one run of the loop; the good
// event must arrive as a trap and as a syslog message.
TEST_F(ForwardingLoopTest, FaultsAreSurvivedAndTheNextEventIsForwarded) {
  std::uint16_t closed_port = 0;
  {
    LoopbackListener gone;
    closed_port = gone.Port();
  }
  const std::string long_oid(200, '1');
  struct Fault {
    const char* name;
    std::function<void()> inflict, mend;
    bool trap, syslog;
  };
  const std::vector<Fault> faults = {
      {"missing Syslog key",
       [&] {
         config_->ClearSyslogHosts();
         std::unique_ptr<platform::RegistryKey> root;
         ASSERT_EQ(platform::kRegSuccess, registry_.Open(config::names::kRootPath, &root));
         ASSERT_EQ(platform::kRegSuccess, root->DeleteSubkey("Syslog"));
       },
       [&] { UseSyslog(0), AddSyslog("127.0.0.1", syslog_.Port()); }, true, false},
      {"trap destination that does not resolve", [&] { SetText("destination", "nothing.invalid"); },
       [&] { SetText("destination", "127.0.0.1"); }, false, true},
      {"missing community", [&] { DeleteRootValue("community"); },
       [&] { SetText("community", "public"); }, false, true},
      {"200-character senderOID", [&] { SetText("senderOID", long_oid); },
       [&] { SetText("senderOID", ""); }, true, true},
      {"gap in the filter numbering",
       [&] {
         WriteEntry("Filters", 0, {"filterOn", "filterType", "filterList"},
                    {"EventId", "Include", "6005"});
         WriteEntry("Filters", 2, {"filterOn", "filterType", "filterList"},
                    {"EventId", "Include", "6005"});
       },
       [&] { config_->ClearFilters(); }, true, true},
      {"nobody listening for traps", [&] { SetNumber("port", closed_port); },
       [&] { SetNumber("port", trap_listener_.Port()); }, false, true},
  };
  Bytes good_trap;
  std::vector<std::function<void()>> rounds;
  auto expect_good = [&](const char* after) {
    const auto trap = Trap();
    EXPECT_TRUE(trap.has_value()) << "good event after " << after;
    EXPECT_EQ(BytesOf("<29>EventLog: Not Specified: good"), Syslog().value_or(Bytes())) << after;
    if (trap && good_trap.empty()) good_trap = *trap;
    if (trap) {
      EXPECT_EQ(good_trap, *trap) << after;
    }
  };
  rounds.push_back([&] { AppendEvent("good"); });
  const char* previous = "start";
  for (const Fault& fault : faults) {
    rounds.push_back([&, previous] {
      expect_good(previous);
      fault.inflict();
      AppendEvent("good");  // the same event, so that its trap can be compared
    });
    rounds.push_back([&] {
      const auto trap = Trap(fault.trap ? kArrives : kStaysAway);
      EXPECT_EQ(fault.trap, trap.has_value()) << fault.name;
      if (trap) {  // the same event as the good one, so with the default enterprise
        EXPECT_EQ(good_trap, *trap) << fault.name;
      }
      EXPECT_EQ(fault.syslog, Syslog(fault.syslog ? kArrives : kStaysAway).has_value())
          << fault.name;
      fault.mend();
      AppendEvent("good");
    });
    previous = fault.name;
  }
  rounds.push_back([&] { expect_good(previous); });
  ScriptedHost host(rounds);
  RunLoop(host);
  EXPECT_EQ(static_cast<int>(rounds.size()) + 1, host.running_checks());
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

  LoopbackListener syslog_;
  std::unique_ptr<perf::UptimeCounter> counter_;
  std::unique_ptr<forwarding::EventPipeline> pipeline_;
};

TEST_F(EventPipelineTest, TraceOfAForwardedAndAFilteredEventByteForByte) {
  for (const char* flag : {"iet", "ies", "iecn", "ieu", "ied"}) SetNumber(flag, 0);
  SetNumber("version", 1);
  AddFilter("EventSource", "Exclude", "Disk");
  OwnedEvent passed(6005, 3, 0, "EventLog", "KIVOHOST", "Not Specified", "Started\r\nnow");
  Process(passed);
  const Bytes trap = trap_listener_.Receive(kArrives).value_or(Bytes());
  OwnedEvent rejected(11, 1, 4, "Disk", "KIVOHOST", "SYSTEM", "Bad block");
  Process(rejected);

  const std::string block =
      "version:1\r\ndestination:127.0.0.1\r\nport:" + std::to_string(trap_listener_.Port()) +
      "\r\ncommunity:public\r\nnumfilters:1\r\nfiltername:EventSource\r\n"
      "filtername is eventsource\r\n";
  const std::string syslog = "<29>EventLog: Not Specified: Started\r\nnow";
  EXPECT_EQ(
      "EventID:6005\r\nEventType:3\r\nSource:<EventLog>\r\nComputer:<KIVOHOST>\r\n"
      "User:<Not Specified>\r\nDesc:<Started\r\nnow>\r\nCategory:<0>\r\n" +
          block +
          "eventData is:<EventLog>\r\nfilterlist is:<Disk>\r\nfilterlist is now:Disk\r\n"
          "not in filterlist\r\nfiltertype is:Exclude\r\nnot filtered\r\n"
          "e.EventId<6005> is not mapped\r\nadded event number varbind\r\n"
          "added event category varbind\r\nready to communicate with destination <0>\r\n"
          "Sent " +
          std::to_string(trap.size()) + " bytes\r\nsending <" + syslog + ">\r\nsent " +
          std::to_string(syslog.size()) +
          " bytes\r\n"
          "EventID:11\r\nEventType:1\r\nSource:<Disk>\r\nComputer:<KIVOHOST>\r\n"
          "User:<SYSTEM>\r\nDesc:<Bad block>\r\nCategory:<4>\r\n" +
          block +
          "eventData is:<Disk>\r\nfilterlist is:<Disk>\r\nfilterlist is now:Disk\r\n"
          "in filterlist\r\nfilterType is:Exclude\r\nfiltertype is exclude\r\nfiltered\r\n"
          "syslog using filters and event is filtered...not forwarding\r\n",
      Trace());
  EXPECT_FALSE(trap_listener_.Receive(kStaysAway).has_value());
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

}  // namespace
}  // namespace kivo::testing
