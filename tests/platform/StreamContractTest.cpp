// What the stream destinations rely on of a TCP stream, against the scripted
// streams and the system's (BSD natively, Winsock under Wine) with a real
// listener on 127.0.0.1; and, under Wine, that SChannel's handshake with a
// server that never answers ends at the stop check.

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <thread>

#include "platform/fake/FakeStreams.h"
#include "support/LoopbackTcpListener.h"
#include "support/SystemSockets.h"

namespace kivo::testing {
namespace {

using platform::StreamError;
using platform::WaitLimit;
using Clock = std::chrono::steady_clock;
constexpr platform::Ipv4Address kLoopback{127, 0, 0, 1};

// The far end of the contract's connections.
class StreamPeer {
 public:
  virtual ~StreamPeer() = default;
  virtual platform::Streams& streams() = 0;
  virtual std::uint16_t port() = 0;
  virtual void RefuseConnects() = 0;
  virtual bool Accept() = 0;
  virtual std::string Received(std::size_t size) = 0;
  virtual void Close() = 0;
  virtual void StopReading() = 0;
};

class SystemPeer : public StreamPeer {
 public:
  platform::Streams& streams() override { return streams_; }
  std::uint16_t port() override { return listener_.Port(); }
  void RefuseConnects() override { listener_.StopListening(); }
  bool Accept() override { return listener_.Accept(5000); }
  std::string Received(std::size_t size) override { return listener_.Receive(size, 5000); }
  void Close() override { listener_.CloseConnection(); }
  void StopReading() override {}

 private:
  SystemStreams streams_;
  LoopbackTcpListener listener_;
};

class ScriptedPeer : public StreamPeer {
 public:
  platform::Streams& streams() override { return streams_; }
  std::uint16_t port() override { return 6514; }
  void RefuseConnects() override {
    streams_.connects.push_back(platform::FakeStreams::Refuse(StreamError::Code(10061)));
  }
  bool Accept() override { return !streams_.peers.empty(); }
  std::string Received(std::size_t) override { return streams_.LastPeer().received; }
  void Close() override { streams_.LastPeer().closed_by_peer = true; }
  void StopReading() override {
    streams_.LastPeer().stalls = true;
    streams_.LastPeer().takes = 1 << 20;
  }

 private:
  platform::FakeStreams streams_;
};

using PeerFactory = std::unique_ptr<StreamPeer> (*)();

class StreamContract : public ::testing::TestWithParam<PeerFactory> {
 protected:
  void SetUp() override { peer_ = GetParam()(); }

  std::unique_ptr<platform::Stream> Connect() {
    platform::Connection connection =
        peer_->streams().ConnectTcp(kLoopback, peer_->port(), WaitLimit{5000, nullptr});
    EXPECT_TRUE(connection.stream) << connection.error.reason << " " << connection.error.code;
    EXPECT_TRUE(peer_->Accept());
    return std::move(connection.stream);
  }

  std::unique_ptr<StreamPeer> peer_;
};

// A stop check that asks to stop once `after` has passed.
platform::StopCheck StopAfter(std::chrono::milliseconds after) {
  const Clock::time_point start = Clock::now();
  return [start, after] { return Clock::now() - start >= after; };
}

TEST_P(StreamContract, WrittenOctetsArriveWholeAndInOrder) {
  std::unique_ptr<platform::Stream> stream = Connect();
  ASSERT_TRUE(stream);
  std::string large(300000, '\0');
  for (std::size_t i = 0; i < large.size(); ++i) large[i] = static_cast<char>(i * 7);
  const std::string frames = "13 <29>1 hello!" + large;
  EXPECT_FALSE(stream->Write(frames.data(), 15, WaitLimit{5000, nullptr}));
  EXPECT_FALSE(stream->Write(large.data(), large.size(), WaitLimit{5000, nullptr}));
  EXPECT_EQ(frames, peer_->Received(frames.size()));
}

TEST_P(StreamContract, ConnectWithoutListenerFailsWithTheSystemsError) {
  peer_->RefuseConnects();
  platform::Connection connection =
      peer_->streams().ConnectTcp(kLoopback, peer_->port(), WaitLimit{5000, nullptr});
  EXPECT_FALSE(connection.stream);
  EXPECT_NE(0u, connection.error.code);
  EXPECT_FALSE(connection.error.stopped);
}

TEST_P(StreamContract, PeerCloseIsSeenBeforeTheNextWrite) {
  std::unique_ptr<platform::Stream> stream = Connect();
  ASSERT_TRUE(stream);
  EXPECT_FALSE(stream->PeerClosed());
  peer_->Close();
  bool closed = false;
  const Clock::time_point give_up = Clock::now() + std::chrono::seconds(5);
  while (!(closed = stream->PeerClosed()) && Clock::now() < give_up) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  EXPECT_TRUE(closed);
}

TEST_P(StreamContract, StopEndsAWriteThePeerDoesNotTake) {
  std::unique_ptr<platform::Stream> stream = Connect();
  ASSERT_TRUE(stream);
  peer_->StopReading();
  const std::string flood(64 << 20, 'x');
  const Clock::time_point start = Clock::now();
  const auto error = stream->Write(flood.data(), flood.size(),
                                   WaitLimit{60000, StopAfter(std::chrono::milliseconds(300))});
  ASSERT_TRUE(error);
  EXPECT_TRUE(error->stopped);
  EXPECT_LT(Clock::now() - start, std::chrono::seconds(2));
}

#ifdef _WIN32
TEST(SchannelHandshake, ServerThatNeverAnswersEndsAtTheStopCheckOrTheTimeLimit) {
  LoopbackTcpListener silent;
  SystemStreams streams;
  for (const bool stop : {true, false}) {
    platform::Connection tcp =
        streams.ConnectTcp(kLoopback, silent.Port(), WaitLimit{5000, nullptr});
    ASSERT_TRUE(tcp.stream);
    const Clock::time_point start = Clock::now();
    const WaitLimit limit = stop ? WaitLimit{60000, StopAfter(std::chrono::milliseconds(300))}
                                 : WaitLimit{500, nullptr};
    platform::Connection tls =
        streams.StartTls(std::move(tcp.stream), platform::TlsPeer{"sysloghost", ""}, limit);
    EXPECT_FALSE(tls.stream);
    EXPECT_EQ(stop, tls.error.stopped);
    if (!stop) {
      EXPECT_EQ("TLS handshake not complete within the time allowed", tls.error.reason);
    }
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(2));
  }
}
#endif

std::unique_ptr<StreamPeer> MakeScriptedPeer() {
  return std::make_unique<ScriptedPeer>();
}
std::unique_ptr<StreamPeer> MakeSystemPeer() {
  return std::make_unique<SystemPeer>();
}

INSTANTIATE_TEST_SUITE_P(Fake, StreamContract, ::testing::Values(&MakeScriptedPeer),
                         [](const auto&) { return std::string("Scripted"); });
INSTANTIATE_TEST_SUITE_P(System, StreamContract, ::testing::Values(&MakeSystemPeer),
                         [](const auto&) { return std::string(kSystemSocketsName); });

}  // namespace
}  // namespace kivo::testing
