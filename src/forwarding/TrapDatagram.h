#pragma once

#include <cstdint>
#include <functional>

#include "config/TraceFile.h"
#include "forwarding/Destination.h"
#include "forwarding/TrapSettings.h"
#include "platform/Sockets.h"
#include "snmp/UdpEndpoint.h"

namespace kivo::forwarding {

// Sends a trap as one datagram to the trap destination through a fresh
// endpoint, with the trace lines traps have always had ("ready to
// communicate with destination <error>", "Sent <n> bytes"): `send` sends
// through the endpoint, whether or not it is ready (a failed one sends 0
// bytes, and the trace says so), and returns the octets sent. The outcome's
// destination and label are the caller's to fill in.
SendOutcome SendTrapDatagram(platform::Sockets& sockets, const TrapSettings& settings,
                             config::TraceFile& trace,
                             const std::function<std::int32_t(snmp::UdpEndpoint&)>& send);

}  // namespace kivo::forwarding
