#include "platform/fake/FakeStreams.h"

#include <algorithm>
#include <chrono>
#include <thread>

namespace kivo::platform {
namespace {

// A wait for what never comes: over at the limit's time or at a stop.
StreamError HangError(const WaitLimit& limit, const char* timed_out) {
  const WaitOutcome outcome = WaitInSlices(limit, [](std::uint32_t slice) {
    std::this_thread::sleep_for(std::chrono::milliseconds(slice));
    return 0;
  });
  return *WaitError(outcome, timed_out, 0);
}

class FakeStream : public Stream {
 public:
  explicit FakeStream(std::shared_ptr<FakeStreams::Peer> peer) : peer_(std::move(peer)) {}
  ~FakeStream() override { peer_->released = true; }

  std::optional<StreamError> Write(const void* data, std::size_t length,
                                   const WaitLimit& limit) override {
    if (peer_->closed_by_peer) return StreamError::Code(FakeStreams::kResetError);
    const std::size_t taken = std::min(length, peer_->takes);
    peer_->received.append(static_cast<const char*>(data), taken);
    peer_->takes -= taken;
    if (taken == length) return std::nullopt;
    if (peer_->stalls) return HangError(limit, "the server takes no more data");
    peer_->closed_by_peer = true;
    return StreamError::Code(FakeStreams::kResetError);
  }

  std::optional<StreamError> Read(void*, std::size_t, std::size_t* received,
                                  const WaitLimit&) override {
    *received = 0;
    if (peer_->closed_by_peer) return StreamError::Reason("connection closed by the server");
    return std::nullopt;
  }

 private:
  std::shared_ptr<FakeStreams::Peer> peer_;
};

// The next scripted outcome: nullopt to accept, else the failure.
std::optional<StreamError> Next(std::deque<FakeStreams::Outcome>& script, const WaitLimit& limit,
                                const char* timed_out) {
  if (script.empty()) return std::nullopt;
  const FakeStreams::Outcome outcome = script.front();
  script.pop_front();
  switch (outcome.kind) {
    case FakeStreams::Outcome::Kind::kRefuse:
      return outcome.error;
    case FakeStreams::Outcome::Kind::kHang:
      return HangError(limit, timed_out);
    default:
      return std::nullopt;
  }
}

}  // namespace

Connection FakeStreams::ConnectTcp(const Ipv4Address& address, std::uint16_t port,
                                   const WaitLimit& limit) {
  ++connect_attempts;
  Connection result;
  if (auto error = Next(connects, limit, "no connection within the time allowed")) {
    result.error = *error;
    return result;
  }
  auto peer = std::make_shared<Peer>();
  peer->address = address;
  peer->port = port;
  peers.push_back(peer);
  result.stream = std::make_unique<FakeStream>(peer);
  return result;
}

Connection FakeStreams::StartTls(std::unique_ptr<Stream> transport, const TlsPeer& peer,
                                 const WaitLimit& limit) {
  tls_requests.push_back(peer);
  Connection result;
  if (auto error = Next(handshakes, limit, "TLS handshake not complete within the time allowed")) {
    result.error = *error;
    return result;
  }
  peers.back()->tls = true;
  result.stream = std::move(transport);
  return result;
}

}  // namespace kivo::platform
