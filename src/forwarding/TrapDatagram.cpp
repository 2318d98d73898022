#include "forwarding/TrapDatagram.h"

namespace kivo::forwarding {

SendOutcome SendTrapDatagram(platform::Sockets& sockets, const TrapSettings& settings,
                             config::TraceFile& trace,
                             const std::function<std::int32_t(snmp::UdpEndpoint&)>& send) {
  snmp::UdpEndpoint endpoint(sockets, settings.port, settings.destination);
  trace.Line(endpoint.IsReady() ? "ready to communicate with destination <"
                                : "failed to communicate with destination <",
             endpoint.LastError(), ">");
  const std::int32_t sent = send(endpoint);
  trace.Line("Sent ", sent, " bytes");
  SendOutcome outcome;
  outcome.sent = sent > 0;
  if (!outcome.sent) outcome.error = static_cast<std::uint32_t>(endpoint.LastError());
  return outcome;
}

}  // namespace kivo::forwarding
