#pragma once

#include <cstddef>
#include <deque>
#include <limits>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/Stream.h"

namespace kivo::platform {

// Streams whose far end a test scripts: connects and handshakes that are
// refused or hang, peers that close, take part of a write and reset, or stop
// reading. A hang waits as the real streams do: until the stop check asks
// or the limit's time is over.
class FakeStreams : public Streams {
 public:
  // The far end of one connection that was made.
  struct Peer {
    Ipv4Address address{};
    std::uint16_t port = 0;
    std::string received;   // every octet written, in order
    bool tls = false;       // a TLS session was started over the connection
    bool released = false;  // our end closed it
    // Set by the test:
    bool closed_by_peer = false;  // the peer has closed: reads and writes fail
    bool stalls = false;          // the peer reads no more: writes hang
    // Octets the peer still takes before it resets the connection.
    std::size_t takes = std::numeric_limits<std::size_t>::max();
  };

  // How a connect or a TLS handshake goes; an empty script accepts.
  struct Outcome {
    enum class Kind { kAccept, kRefuse, kHang } kind = Kind::kAccept;
    StreamError error;
  };
  static Outcome Refuse(StreamError error) { return Outcome{Outcome::Kind::kRefuse, error}; }
  static Outcome Hang() { return Outcome{Outcome::Kind::kHang, {}}; }

  // The reset a peer with nothing left to take gives (WSAECONNRESET).
  static constexpr std::uint32_t kResetError = 10054;

  std::deque<Outcome> connects;
  std::deque<Outcome> handshakes;
  std::vector<std::shared_ptr<Peer>> peers;  // one per connection made
  std::vector<TlsPeer> tls_requests;         // what each TLS start asked for
  int connect_attempts = 0;

  Connection ConnectTcp(const Ipv4Address& address, std::uint16_t port,
                        const WaitLimit& limit) override;
  Connection StartTls(std::unique_ptr<Stream> transport, const TlsPeer& peer,
                      const WaitLimit& limit) override;

  // The newest connection's far end.
  Peer& LastPeer() { return *peers.back(); }
};

}  // namespace kivo::platform
