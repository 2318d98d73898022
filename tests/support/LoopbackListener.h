#pragma once

#include <cstdint>
#include <optional>
#include <vector>

namespace kivo::testing {

// A UDP socket bound to 127.0.0.1 on a port the system picks: the real peer
// that datagrams sent in tests go to. Uses the platform's sockets directly
// (Winsock in the Windows build), independent of the code under test.
class LoopbackListener {
 public:
  LoopbackListener();
  ~LoopbackListener();
  LoopbackListener(const LoopbackListener&) = delete;
  LoopbackListener& operator=(const LoopbackListener&) = delete;

  // The bound port in host order; 0 when the socket could not be bound.
  std::uint16_t Port() const { return port_; }

  // The next datagram, or nothing when none arrives within timeout_ms.
  std::optional<std::vector<std::uint8_t>> Receive(int timeout_ms);

  // Sends a datagram back to the sender of the last one received.
  bool Reply(const std::vector<std::uint8_t>& datagram);

 private:
  std::uintptr_t socket_;
  std::uint16_t port_ = 0;
  std::vector<std::uint8_t> last_sender_;  // its sockaddr_in
};

}  // namespace kivo::testing
