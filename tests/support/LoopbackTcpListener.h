#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace kivo::testing {

// A TCP listener on 127.0.0.1 on a port the system picks, and the one
// connection it accepted: the real peer of the stream tests. Uses the
// platform's sockets directly (Winsock in the Windows build).
class LoopbackTcpListener {
 public:
  LoopbackTcpListener();
  ~LoopbackTcpListener();
  LoopbackTcpListener(const LoopbackTcpListener&) = delete;
  LoopbackTcpListener& operator=(const LoopbackTcpListener&) = delete;

  std::uint16_t Port() const { return port_; }
  // Accepts the next connection within timeout_ms; false when none came.
  bool Accept(int timeout_ms);
  // What the accepted connection receives until `size` octets came or
  // timeout_ms passed without any.
  std::string Receive(std::size_t size, int timeout_ms);
  // Closes the accepted connection.
  void CloseConnection();
  // Closes the listener too: a connect to Port() is then refused.
  void StopListening();

 private:
  std::uintptr_t listener_;
  std::uintptr_t connection_;
  std::uint16_t port_ = 0;
};

}  // namespace kivo::testing
