// Sends one syslog frame over TLS to each server named on the command line,
// through the product's streams (Winsock and SChannel), and prints what
// became of it. Run by tls_peer_test.py under Wine.
//
//   kivo_tls_driver LABEL PORT NAME CAFILE [LABEL PORT NAME CAFILE ...]
//
// CAFILE "-" trusts the machine's roots. Prints "LABEL: sent" or
// "LABEL: refused: REASON" for each.

#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/win32/Win32Sockets.h"
#include "platform/win32/Win32Streams.h"

int main(int argc, char** argv) {
  using namespace kivo::platform;
  Win32Sockets sockets;
  sockets.Startup();
  Win32Streams streams;
  for (int i = 1; i + 3 < argc; i += 4) {
    const std::string label = argv[i];
    const auto port = static_cast<std::uint16_t>(std::atoi(argv[i + 1]));
    const TlsPeer peer{argv[i + 2], std::string(argv[i + 3]) == "-" ? "" : argv[i + 3]};
    const std::string message = "<13>1 - - kivo - - - tls case " + label;
    const std::string frame = std::to_string(message.size()) + " " + message;
    Connection connection = streams.ConnectTcp({127, 0, 0, 1}, port, WaitLimit{5000, nullptr});
    if (connection.stream) {
      connection = streams.StartTls(std::move(connection.stream), peer, WaitLimit{10000, nullptr});
    }
    std::optional<StreamError> error;
    if (!connection.stream) {
      error = connection.error;
    } else {
      error = connection.stream->Write(frame.data(), frame.size(), WaitLimit{5000, nullptr});
    }
    std::printf("%s: %s\n", label.c_str(),
                error ? ("refused: " + Describe(*error, nullptr)).c_str() : "sent");
    std::fflush(stdout);
  }
  return 0;
}
