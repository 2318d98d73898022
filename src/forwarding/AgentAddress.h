#pragma once

#include <string>

#include "platform/Sockets.h"

namespace kivo::forwarding {

// The agent address of an SNMPv1 trap: the first address of this machine's
// own host name, in dotted form, looked up afresh for every trap.
class AgentAddress {
 public:
  // Stands in when the host name cannot be had or does not resolve.
  static constexpr char kFallback[] = "240.30.20.10";
  // gethostname is given a buffer of this many bytes.
  static constexpr std::size_t kHostNameBufferSize = 255;

  static std::string Find(platform::Sockets& sockets);
};

}  // namespace kivo::forwarding
