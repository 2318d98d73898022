// A syslog destination over a stream, on scripted streams and a clock of the
// test's own: the kept connection, the waits between attempts, a server's
// close noticed before the next write, frames that go out whole or not at
// all, the bounded queue and its report, stops, and TLS targets.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "forwarding/StreamDestination.h"
#include "platform/fake/FakeSockets.h"
#include "platform/fake/FakeStreams.h"

namespace kivo::testing {
namespace {

using forwarding::StreamDestination;
using platform::FakeStreams;
using platform::StreamError;
using Delivery = StreamDestination::Delivery;

class StreamDestinationTest : public ::testing::Test {
 protected:
  std::unique_ptr<StreamDestination> Make(Delivery delivery, bool tls = false) {
    forwarding::StreamTarget target;
    target.host = "127.0.0.1";
    target.port = 6514;
    target.tls = tls;
    target.tls_peer = {"syslog.example", "C:\\ca.pem"};
    return std::make_unique<StreamDestination>(
        "dest", target, delivery, services_,
        [this](std::uint16_t type, std::uint32_t id, const std::vector<std::string>& inserts) {
          reports_.push_back(std::to_string(type) + " " + std::to_string(id) + " " + inserts[0] +
                             ": " + inserts[1]);
        });
  }
  // Why the frame was not sent, in words; nothing when it was.
  std::optional<std::string> Deliver(StreamDestination& destination, const std::string& frame) {
    const auto error = destination.Deliver(frame, trace_);
    if (!error) return std::nullopt;
    return platform::Describe(*error, services_.error_text);
  }
  std::optional<std::string> Failure(const StreamDestination& destination) {
    if (!destination.failure()) return std::nullopt;
    return platform::Describe(*destination.failure(), services_.error_text);
  }
  static StreamError Refused() { return StreamError::Code(10061); }

  FakeStreams streams_;
  platform::FakeSockets sockets_;
  std::int64_t now_ = 0;
  bool stopping_ = false;
  forwarding::StreamServices services_{
      streams_, sockets_, [this] { return now_; }, [this] { return stopping_; },
      [](std::uint32_t code) { return "error " + std::to_string(code); }};
  std::vector<std::string> reports_;
  config::TraceFile trace_;
};

TEST_F(StreamDestinationTest, HoldSendsWholeFramesOverOneKeptConnection) {
  auto destination = Make(Delivery::kHold);
  for (const char* frame : {"3 one", "3 two", "5 three"}) {
    EXPECT_EQ(std::nullopt, Deliver(*destination, frame));
  }
  EXPECT_EQ(1, streams_.connect_attempts);
  EXPECT_EQ("3 one3 two5 three", streams_.LastPeer().received);
  EXPECT_EQ((platform::Ipv4Address{127, 0, 0, 1}), streams_.LastPeer().address);
  EXPECT_EQ(6514, streams_.LastPeer().port);
  EXPECT_TRUE(reports_.empty());
}

TEST_F(StreamDestinationTest, HoldSaysWhyASendFailedAndTriesAgainOnlyAfterItsWait) {
  auto destination = Make(Delivery::kHold);
  streams_.connects.push_back(FakeStreams::Refuse(Refused()));
  EXPECT_EQ("error 10061", Deliver(*destination, "1 a"));
  now_ = 999;
  EXPECT_EQ("error 10061", Deliver(*destination, "1 a"));
  EXPECT_EQ(1, streams_.connect_attempts);
  EXPECT_EQ("error 10061", Failure(*destination));
  now_ = 1000;
  EXPECT_EQ(std::nullopt, Deliver(*destination, "1 a"));
  EXPECT_EQ("1 a", streams_.LastPeer().received);
  EXPECT_EQ(std::nullopt, Failure(*destination));
  EXPECT_TRUE(reports_.empty());
}

TEST_F(StreamDestinationTest, AttemptsWaitOneTwoFourUpToSixtySecondsAndAfterASendOneAgain) {
  auto destination = Make(Delivery::kHold);
  const std::int64_t attempts[] = {0, 1000, 3000, 7000, 15000, 31000, 63000, 123000, 183000};
  for (int i = 0; i < 9; ++i) streams_.connects.push_back(FakeStreams::Refuse(Refused()));
  int made = 0;
  for (const std::int64_t at : attempts) {
    now_ = at - 1;
    Deliver(*destination, "1 x");
    EXPECT_EQ(made, streams_.connect_attempts) << at;
    now_ = at;
    Deliver(*destination, "1 x");
    EXPECT_EQ(++made, streams_.connect_attempts) << at;
  }
  now_ = 243000;
  EXPECT_EQ(std::nullopt, Deliver(*destination, "1 x"));
  // The server goes: the close is seen before the next frame, the connect
  // that follows at once fails, and the wait starts from one second again.
  streams_.LastPeer().closed_by_peer = true;
  streams_.connects.push_back(FakeStreams::Refuse(Refused()));
  EXPECT_EQ("error 10061", Deliver(*destination, "1 y"));
  EXPECT_EQ(made + 2, streams_.connect_attempts);
  now_ += 1000;
  EXPECT_EQ(std::nullopt, Deliver(*destination, "1 y"));
  EXPECT_EQ("1 y", streams_.LastPeer().received);
}

TEST_F(StreamDestinationTest, ServersCloseIsNoticedBeforeTheNextWriteAndNoFrameIsLost) {
  auto destination = Make(Delivery::kHold);
  EXPECT_EQ(std::nullopt, Deliver(*destination, "5 first"));
  FakeStreams::Peer& first = streams_.LastPeer();
  first.closed_by_peer = true;
  EXPECT_EQ(std::nullopt, Deliver(*destination, "6 second"));
  ASSERT_EQ(2u, streams_.peers.size());
  EXPECT_TRUE(first.released);
  EXPECT_EQ("5 first", first.received);
  EXPECT_EQ("6 second", streams_.LastPeer().received);
  EXPECT_EQ(std::nullopt, Failure(*destination));
}

TEST_F(StreamDestinationTest, HoldReportsAFrameCutShortAsNotSentAndItGoesWholeLater) {
  auto destination = Make(Delivery::kHold);
  EXPECT_EQ(std::nullopt, Deliver(*destination, "1 a"));
  streams_.LastPeer().takes = 4;
  EXPECT_EQ("error 10054", Deliver(*destination, "11 hello world"));
  now_ = 1000;
  EXPECT_EQ(std::nullopt, Deliver(*destination, "11 hello world"));
  EXPECT_EQ("1 a11 h", streams_.peers[0]->received);
  EXPECT_EQ("11 hello world", streams_.LastPeer().received);
}

TEST_F(StreamDestinationTest, QueueKeepsTheNewestInOrderAndReportsWhatItDroppedOnce) {
  auto destination = Make(Delivery::kQueue);
  streams_.connects.push_back(FakeStreams::Refuse(Refused()));
  const std::size_t extra = 5;
  for (std::size_t i = 0; i < StreamDestination::kQueueLimit + extra; ++i) {
    EXPECT_EQ(std::nullopt, Deliver(*destination, std::to_string(i) + ";"));
  }
  EXPECT_EQ(StreamDestination::kQueueLimit, destination->waiting());
  EXPECT_EQ("error 10061", Failure(*destination));
  EXPECT_TRUE(reports_.empty());
  now_ = 1000;
  destination->Flush(trace_);
  std::string expected;
  for (std::size_t i = extra; i < StreamDestination::kQueueLimit + extra; ++i) {
    expected += std::to_string(i) + ";";
  }
  EXPECT_EQ(expected, streams_.LastPeer().received);
  EXPECT_EQ(0u, destination->waiting());
  EXPECT_EQ(std::nullopt, Failure(*destination));
  EXPECT_EQ((std::vector<std::string>{"2 113 dest: 5"}), reports_);

  // A destination that goes during an outage still tells what it dropped.
  reports_.clear();
  auto second = Make(Delivery::kQueue);
  streams_.connects.push_back(FakeStreams::Refuse(Refused()));
  for (std::size_t i = 0; i <= StreamDestination::kQueueLimit; ++i) Deliver(*second, "1 z");
  second.reset();
  EXPECT_EQ((std::vector<std::string>{"2 113 dest: 1"}), reports_);
}

TEST_F(StreamDestinationTest, StopEndsAHangingConnectWithoutAnOutageOrAWait) {
  auto destination = Make(Delivery::kHold);
  streams_.connects.push_back(FakeStreams::Hang());
  stopping_ = true;
  EXPECT_EQ("stopped", Deliver(*destination, "1 a"));
  stopping_ = false;
  EXPECT_EQ(std::nullopt, Deliver(*destination, "1 a"));
  EXPECT_EQ(2, streams_.connect_attempts);
  EXPECT_EQ(std::nullopt, Failure(*destination));
}

TEST_F(StreamDestinationTest, TlsAsksForTheNameAndCaFileAndARefusedServerGetsNothing) {
  auto destination = Make(Delivery::kHold, true);
  const std::string refusal = "certificate \"x\" issued by \"y\" not trusted";
  streams_.handshakes.push_back(FakeStreams::Refuse(StreamError::Reason(refusal)));
  EXPECT_EQ(refusal, Deliver(*destination, "1 a"));
  EXPECT_EQ("", streams_.LastPeer().received);
  now_ = 1000;
  EXPECT_EQ(std::nullopt, Deliver(*destination, "1 a"));
  EXPECT_TRUE(streams_.LastPeer().tls);
  EXPECT_EQ("1 a", streams_.LastPeer().received);
  ASSERT_EQ(2u, streams_.tls_requests.size());
  EXPECT_EQ("syslog.example", streams_.tls_requests[0].server_name);
  EXPECT_EQ("C:\\ca.pem", streams_.tls_requests[0].ca_file);
}

}  // namespace
}  // namespace kivo::testing
