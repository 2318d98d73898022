#include "forwarding/AgentAddress.h"

namespace kivo::forwarding {

std::string AgentAddress::Find(platform::Sockets& sockets) {
  std::string name;
  // A name that would not fit the buffer fails as gethostname fails there.
  if (sockets.LocalHostName(&name) != platform::kSocketOk || name.size() >= kHostNameBufferSize) {
    return kFallback;
  }
  platform::Ipv4Address address{};
  if (sockets.ResolveHostName(name, &address) != platform::kSocketOk) return kFallback;
  return platform::FormatDotted(address);
}

}  // namespace kivo::forwarding
