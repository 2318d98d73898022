// Behaviour of the sockets that the UDP endpoint and the trap stage rely on.
// The name-handling cases run against the in-memory sockets and the system's
// (BSD natively, Winsock under Wine); the loopback cases against the
// system's only.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/Sockets.h"
#include "platform/fake/FakeSockets.h"
#include "support/LoopbackListener.h"
#include "support/SystemSockets.h"

namespace kivo::testing {

using SocketsFactory = std::unique_ptr<platform::Sockets> (*)();

class SocketsContract : public ::testing::TestWithParam<SocketsFactory> {
 protected:
  void SetUp() override {
    sockets_ = GetParam()();
    ASSERT_EQ(platform::kSocketOk, sockets_->Startup());
  }
  void TearDown() override { sockets_->Close(socket_); }

  // A socket bound to any port, closed after the test.
  void OpenBound() {
    ASSERT_EQ(platform::kSocketOk, sockets_->OpenUdpSocket(&socket_));
    ASSERT_NE(platform::kInvalidSocket, socket_);
    ASSERT_EQ(platform::kSocketOk, sockets_->BindToAnyPort(socket_));
  }

  std::unique_ptr<platform::Sockets> sockets_;
  platform::SocketHandle socket_ = platform::kInvalidSocket;
};

class SocketsLoopback : public SocketsContract {};

namespace {

using platform::Ipv4Address;
using platform::kInvalidSocket;
using platform::kSocketOk;
using platform::SocketHandle;

TEST_P(SocketsContract, DottedAddressesAreReadWithoutLookup) {
  struct Case {
    const char* text;
    bool dotted;
    Ipv4Address address;
  };
  const Case cases[] = {
      {"240.30.20.10", true, {240, 30, 20, 10}},
      {"localhost", false, {}},
      {"", false, {}},
      {"1.2.3.4.5", false, {}},
      {"256.1.1.1", false, {}},
      // All ones reads like inet_addr's "invalid" and so goes to the lookup.
      {"255.255.255.255", false, {}},
  };
  for (const Case& c : cases) {
    Ipv4Address address{9, 9, 9, 9};
    EXPECT_EQ(c.dotted, sockets_->ParseDottedAddress(c.text, &address)) << c.text;
    if (c.dotted) {
      EXPECT_EQ(c.address, address) << c.text;
    }
  }
}

TEST_P(SocketsContract, NamesAndNumericTextsResolve) {
  const struct {
    const char* name;
    platform::SocketError status;
    Ipv4Address address;
  } cases[] = {{"localhost", kSocketOk, {127, 0, 0, 1}},
               {"255.255.255.255", kSocketOk, {255, 255, 255, 255}},
               {"name.invalid", platform::kWsaHostNotFound, {}}};
  for (const auto& c : cases) {
    Ipv4Address address{};
    EXPECT_EQ(c.status, sockets_->ResolveHostName(c.name, &address)) << c.name;
    if (c.status == kSocketOk) {
      EXPECT_EQ(c.address, address) << c.name;
    }
  }
}

TEST_P(SocketsContract, LocalHostNameResolvesAndClosingNoSocketIsHarmless) {
  std::string name;
  ASSERT_EQ(kSocketOk, sockets_->LocalHostName(&name));
  ASSERT_FALSE(name.empty());
  Ipv4Address address{};
  EXPECT_EQ(kSocketOk, sockets_->ResolveHostName(name, &address)) << name;
  sockets_->Close(kInvalidSocket);
}

TEST_P(SocketsContract, ReceiveWithNothingToTakeTimesOut) {
  ASSERT_NO_FATAL_FAILURE(OpenBound());
  std::uint8_t buffer[16];
  std::size_t received = 99;
  Ipv4Address from{};
  std::uint16_t port = 0;
  EXPECT_EQ(platform::kWsaTimedOut,
            sockets_->ReceiveFrom(socket_, buffer, sizeof(buffer), 50, &received, &from, &port));
  EXPECT_EQ(0u, received);
}

// The answers to informs: a datagram from the peer arrives with its sender;
// one too long for the buffer is dropped with an error of its own, and the
// next one still arrives.
TEST_P(SocketsLoopback, ReceivedDatagramsNameTheirSenderAndTooLongOnesAreDropped) {
  LoopbackListener peer;
  ASSERT_NO_FATAL_FAILURE(OpenBound());
  std::size_t sent = 0;
  ASSERT_EQ(kSocketOk,
            sockets_->SendTo(socket_, "?", 1, Ipv4Address{127, 0, 0, 1}, peer.Port(), &sent));
  ASSERT_TRUE(peer.Receive(5000));
  const std::vector<std::uint8_t> too_long(17, 0x55), answer = {1, 2, 3};
  ASSERT_TRUE(peer.Reply(too_long) && peer.Reply(answer));
  std::uint8_t buffer[16];
  std::size_t received = 0;
  Ipv4Address from{};
  std::uint16_t port = 0;
  EXPECT_EQ(platform::kWsaMessageTooLong,
            sockets_->ReceiveFrom(socket_, buffer, sizeof(buffer), 5000, &received, &from, &port));
  ASSERT_EQ(kSocketOk,
            sockets_->ReceiveFrom(socket_, buffer, sizeof(buffer), 5000, &received, &from, &port));
  EXPECT_EQ(answer, std::vector<std::uint8_t>(buffer, buffer + received));
  EXPECT_EQ((Ipv4Address{127, 0, 0, 1}), from);
  EXPECT_EQ(peer.Port(), port);
}

TEST_P(SocketsLoopback, BoundSocketSendsDatagramsWholeAndNothingToPortZero) {
  LoopbackListener listener;
  ASSERT_NE(0, listener.Port());
  SocketHandle socket = kInvalidSocket;
  ASSERT_EQ(kSocketOk, sockets_->OpenUdpSocket(&socket));
  ASSERT_NE(kInvalidSocket, socket);
  EXPECT_EQ(kSocketOk, sockets_->AllowBroadcast(socket));
  ASSERT_EQ(kSocketOk, sockets_->BindToAnyPort(socket));
  for (std::size_t length : {std::size_t{1}, std::size_t{9000}}) {
    std::vector<std::uint8_t> datagram(length);
    for (std::size_t i = 0; i < length; ++i) datagram[i] = static_cast<std::uint8_t>(i * 7);
    std::size_t sent = 0;
    EXPECT_EQ(kSocketOk, sockets_->SendTo(socket, datagram.data(), datagram.size(),
                                          Ipv4Address{127, 0, 0, 1}, listener.Port(), &sent));
    EXPECT_EQ(length, sent);
    EXPECT_EQ(datagram, listener.Receive(5000).value_or(std::vector<std::uint8_t>{}));
  }
  std::size_t sent = 99;
  EXPECT_NE(kSocketOk, sockets_->SendTo(socket, "x", 1, Ipv4Address{127, 0, 0, 1}, 0, &sent));
  EXPECT_EQ(0u, sent);
  sockets_->Close(socket);
}

std::unique_ptr<platform::Sockets> MakeFakeSockets() {
  return std::make_unique<platform::FakeSockets>();
}
std::unique_ptr<platform::Sockets> MakeSystemSockets() {
  return std::make_unique<SystemSockets>();
}

INSTANTIATE_TEST_SUITE_P(Fake, SocketsContract, ::testing::Values(&MakeFakeSockets),
                         [](const auto&) { return std::string("InMemory"); });
INSTANTIATE_TEST_SUITE_P(System, SocketsContract, ::testing::Values(&MakeSystemSockets),
                         [](const auto&) { return std::string(kSystemSocketsName); });
INSTANTIATE_TEST_SUITE_P(System, SocketsLoopback, ::testing::Values(&MakeSystemSockets),
                         [](const auto&) { return std::string(kSystemSocketsName); });

}  // namespace
}  // namespace kivo::testing
