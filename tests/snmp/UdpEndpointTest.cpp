// The UDP endpoint on the in-memory sockets, which can fail each step on
// demand. Sending through the system's sockets (BSD natively, Winsock under
// Wine) is proven by the trap and syslog stages and the snmptrapd peer test.

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

namespace kivo::testing {
namespace {

using platform::FakeSockets;
using snmp::UdpEndpoint;

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

TEST(UdpEndpointInputs, BadPortHostLengthOrDataAreRefusedNotGuessed) {
  FakeSockets sockets;
  // A port cut to 16 bits would reach another service.
  for (std::int32_t port : {-1, 65536 + 162, INT_MAX, INT_MIN}) {
    UdpEndpoint endpoint(sockets, port, "127.0.0.1");
    EXPECT_FALSE(endpoint.IsReady()) << port;
    EXPECT_EQ(platform::kWsaInvalidArgument, endpoint.LastError()) << port;
    EXPECT_EQ(0, endpoint.SendBytes("x", 1));
  }
  // An empty name would resolve to this machine on Windows.
  UdpEndpoint empty(sockets, 162, "");
  EXPECT_FALSE(empty.IsReady());
  EXPECT_EQ(platform::kWsaHostNotFound, empty.LastError());
  EXPECT_TRUE(sockets.lookups.empty());
  EXPECT_TRUE(sockets.sent.empty());

  UdpEndpoint endpoint(sockets, 162, "127.0.0.1");
  EXPECT_EQ(0, endpoint.SendBytes("x", -1));
  EXPECT_EQ(0, endpoint.SendBytes(nullptr, 4));
  EXPECT_EQ(platform::kWsaInvalidArgument, endpoint.LastError());
  EXPECT_EQ(0, endpoint.SendBytes("", 0));  // an empty datagram goes
  ASSERT_EQ(1u, sockets.sent.size());
  EXPECT_TRUE(sockets.sent[0].octets.empty());
}

TEST(UdpEndpointFailures, DottedDestinationNeedsNoLookupButAllOnesDoes) {
  FakeSockets sockets;
  UdpEndpoint dotted(sockets, 162, "192.1.1.1");
  EXPECT_EQ(1, dotted.SendBytes("x", 1));
  EXPECT_TRUE(sockets.lookups.empty());
  ASSERT_EQ(1u, sockets.sent.size());
  EXPECT_EQ((platform::Ipv4Address{192, 1, 1, 1}), sockets.sent[0].address);
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
