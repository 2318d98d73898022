// The UDP endpoint against the system's sockets on loopback (BSD natively,
// Winsock under Wine) and, for failures that cannot be provoked on demand,
// against the in-memory sockets.

#include <gtest/gtest.h>

#include <climits>
#include <memory>
#include <string>
#include <vector>

#include "platform/fake/FakeSockets.h"
#include "snmp/SnmpMessage.h"
#include "snmp/SnmpString.h"
#include "snmp/SnmpTestHex.h"
#include "snmp/UdpEndpoint.h"
#include "support/LoopbackListener.h"
#include "support/SystemSockets.h"

namespace kivo::testing {
namespace {

using platform::FakeSockets;
using snmp::UdpEndpoint;

constexpr int kArrives = 5000;   // ms to wait for a datagram that must come
constexpr int kStaysAway = 200;  // ms to wait for one that must not

class UdpEndpointLoopback : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(platform::kSocketOk, sockets_.Startup());
    ASSERT_NE(0, listener_.Port());
  }
  SystemSockets sockets_;
  LoopbackListener listener_;
};

// A trap of about 3 KB, sent in one datagram.
std::unique_ptr<snmp::SnmpMessage> SmallTrap() {
  auto message = std::make_unique<snmp::SnmpMessage>();
  message->SetVersion(1);
  message->SetPduType(snmp::kPduTrapV2);
  message->AddTrapHeader(42, "1.3.6.1.4.1.5309.6.1.2.1", 6, 1);
  message->AddVarBind(std::make_unique<snmp::SnmpVarBind>(
      std::make_unique<snmp::SnmpOid>("1.3.6.1.4.1.5309.6.1.1.6"),
      std::make_unique<snmp::SnmpString>(std::string(3000, 'd'))));
  return message;
}

TEST_F(UdpEndpointLoopback, DottedAndNamedDestinationsReceiveBytesAndMessages) {
  for (const char* host : {"127.0.0.1", "localhost"}) {
    UdpEndpoint endpoint(sockets_, listener_.Port(), host);
    ASSERT_TRUE(endpoint.IsReady()) << host << " error " << endpoint.LastError();
    EXPECT_EQ(0, endpoint.LastError());
    EXPECT_EQ(5, endpoint.SendBytes("<13>x", 5));
    EXPECT_EQ("3C 31 33 3E 78", Hex(listener_.Receive(kArrives).value_or(std::vector<uint8_t>{})));

    const auto message = SmallTrap();
    EXPECT_EQ(static_cast<std::int32_t>(message->EncodedSize()), endpoint.SendMessage(*message));
    EXPECT_EQ(EncodeExactly(*message),
              listener_.Receive(kArrives).value_or(std::vector<uint8_t>{}));
  }
}

TEST_F(UdpEndpointLoopback, UnresolvableOrEmptyHostIsNotReadyAndSendsNothing) {
  for (const char* host : {"name.invalid", ""}) {
    UdpEndpoint endpoint(sockets_, listener_.Port(), host);
    EXPECT_FALSE(endpoint.IsReady()) << host;
    EXPECT_EQ(platform::kWsaHostNotFound, endpoint.LastError()) << host;
    EXPECT_EQ(0, endpoint.SendBytes("x", 1));
    EXPECT_EQ(0, endpoint.SendMessage(*SmallTrap()));
  }
  EXPECT_FALSE(listener_.Receive(kStaysAway).has_value());
}

TEST_F(UdpEndpointLoopback, PortOutsideSixteenBitsIsRefusedNotCut) {
  // 65536 + port would reach the listener if the port were cut to 16 bits.
  for (std::int32_t port : {-1, 65536 + listener_.Port(), INT_MAX, INT_MIN}) {
    UdpEndpoint endpoint(sockets_, port, "127.0.0.1");
    EXPECT_FALSE(endpoint.IsReady()) << port;
    EXPECT_EQ(platform::kWsaInvalidArgument, endpoint.LastError()) << port;
    EXPECT_EQ(0, endpoint.SendBytes("x", 1));
  }
  EXPECT_FALSE(listener_.Receive(kStaysAway).has_value());
}

TEST_F(UdpEndpointLoopback, PortZeroIsReadyButTheSendFails) {
  UdpEndpoint endpoint(sockets_, 0, "127.0.0.1");
  EXPECT_TRUE(endpoint.IsReady());
  EXPECT_EQ(0, endpoint.SendBytes("x", 1));
  EXPECT_NE(0, endpoint.LastError());
  EXPECT_EQ(0, endpoint.SendMessage(*SmallTrap()));
  EXPECT_TRUE(endpoint.IsReady());  // a failed send only records the error
}

TEST_F(UdpEndpointLoopback, NegativeLengthOrNoDataSendsNothing) {
  UdpEndpoint endpoint(sockets_, listener_.Port(), "127.0.0.1");
  ASSERT_TRUE(endpoint.IsReady());
  EXPECT_EQ(0, endpoint.SendBytes("x", -1));
  EXPECT_EQ(0, endpoint.SendBytes(nullptr, 4));
  EXPECT_EQ(platform::kWsaInvalidArgument, endpoint.LastError());
  EXPECT_EQ(0, endpoint.SendBytes("", 0));  // an empty datagram is still a datagram
  EXPECT_EQ(std::vector<uint8_t>{}, listener_.Receive(kArrives).value_or(std::vector<uint8_t>{1}));
}

TEST(UdpEndpointFailures, DottedDestinationNeedsNoLookupButAllOnesDoes) {
  FakeSockets sockets;
  UdpEndpoint dotted(sockets, 162, "192.1.1.1");
  EXPECT_TRUE(dotted.IsReady());
  EXPECT_TRUE(sockets.lookups.empty());
  EXPECT_EQ((platform::Ipv4Address{192, 1, 1, 1}), dotted.Destination().value());

  UdpEndpoint broadcast(sockets, 162, "255.255.255.255");
  EXPECT_TRUE(broadcast.IsReady());
  EXPECT_EQ(std::vector<std::string>{"255.255.255.255"}, sockets.lookups);
}

TEST(UdpEndpointFailures, EachStepsFailureLeavesTheEndpointNotReadyWithItsCode) {
  struct Case {
    const char* label;
    void (*arrange)(FakeSockets&);
    platform::SocketError error;
    int sockets_closed;
  };
  const Case cases[] = {
      {"socket", [](FakeSockets& s) { s.open_error = 10055; }, 10055, 0},
      {"bind", [](FakeSockets& s) { s.bind_error = 10048; }, 10048, 1},
      {"lookup", [](FakeSockets& s) { s.hosts.clear(); }, platform::kWsaHostNotFound, 1},
  };
  for (const Case& c : cases) {
    FakeSockets sockets;
    c.arrange(sockets);
    {
      UdpEndpoint endpoint(sockets, 162, "localhost");
      EXPECT_FALSE(endpoint.IsReady()) << c.label;
      EXPECT_EQ(c.error, endpoint.LastError()) << c.label;
      EXPECT_EQ(0, endpoint.SendBytes("x", 1)) << c.label;
      EXPECT_EQ(0, endpoint.SendMessage(*SmallTrap())) << c.label;
    }
    EXPECT_EQ(c.sockets_closed, sockets.closed_sockets) << c.label;
    EXPECT_TRUE(sockets.sent.empty()) << c.label;
  }
}

TEST(UdpEndpointFailures, FailedSendReturnsZeroAndKeepsTheEndpointReady) {
  FakeSockets sockets;
  UdpEndpoint endpoint(sockets, 162, "127.0.0.1");
  sockets.send_error = 10065;
  EXPECT_EQ(0, endpoint.SendMessage(*SmallTrap()));
  EXPECT_EQ(10065, endpoint.LastError());
  EXPECT_TRUE(endpoint.IsReady());
  sockets.send_error = platform::kSocketOk;
  const auto message = SmallTrap();
  EXPECT_EQ(static_cast<std::int32_t>(message->EncodedSize()), endpoint.SendMessage(*message));
  ASSERT_EQ(1u, sockets.sent.size());
  EXPECT_EQ(162, sockets.sent[0].port);
  EXPECT_EQ(EncodeExactly(*message), sockets.sent[0].octets);
}

}  // namespace
}  // namespace kivo::testing
