#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "config/RegistryConfig.h"
#include "config/TraceFile.h"
#include "forwarding/Destination.h"
#include "forwarding/DestinationStates.h"
#include "forwarding/EventRecord.h"
#include "forwarding/StreamDestination.h"
#include "forwarding/SyslogFormat.h"
#include "platform/AnsiText.h"
#include "platform/Sockets.h"
#include "platform/SteadyClock.h"
#include "platform/Stream.h"

namespace kivo::forwarding {

// What syslog destinations over TCP or TLS, and messages in RFC 5424, need
// besides the sockets. All must outlive the stage.
struct SyslogStreams {
  platform::Streams& streams;
  platform::AnsiText& ansi;  // the ANSI code page's texts to UTF-8
  platform::StopCheck stop;  // ends a connect, handshake or write when the service stops
  platform::ErrorText error_text;
  DestinationStates::Reporter report;
  // kHold with "resume" (a frame goes out whole or the event is held),
  // kQueue without (frames wait in a bounded queue while the server is
  // away).
  StreamDestination::Delivery delivery = StreamDestination::Delivery::kQueue;
  platform::SteadyClock clock = platform::SteadyMilliseconds;
};

// Sends an event to every destination listed under the "Syslog" key.
// "usefilters" decides whether events the filters rejected are sent too.
//
// A destination whose entry has none of "protocol", "format", "tlsname" and
// "tlsca" gets what it always got: one plain-text datagram, "<priority>source:
// user: description" without time stamp, host name or line end, through a
// socket of its own; a description too long for one datagram is cut to fit,
// with a trace line. "format" "rfc5424" sends RFC 5424 in UTF-8 instead;
// "protocol" "tcp" or "tls" sends over one kept connection, framed by octet
// counting, TLS with the server's certificate checked for "tlsname"
// (default "sysloghost") against "tlsca" (a CA file) or the machine's
// roots. A value of these that names nothing known, or that cannot be read,
// makes that destination's send fail with the reason: a TLS destination
// whose CA file cannot be read must never fall back to other roots.
//
// Every destination entry there is is served, in number order, gaps in the
// numbering included, as the filter stage reads its entries; an entry whose
// host or port cannot be read is skipped (with a trace line) and the others
// are served. A missing "usefilters" is written as 0 and this event goes
// nowhere (the next event is sent); a missing "Syslog" key means no syslog
// at all.
class SyslogStage {
 public:
  explicit SyslogStage(platform::Sockets& sockets);
  ~SyslogStage();

  // Makes TCP, TLS and RFC 5424 destinations possible; without it, their
  // sends fail.
  void EnableStreams(const SyslogStreams& streams);

  // Sends the event to every destination, or, given `only`, to those of
  // them that are listed there. One outcome per destination tried.
  SendOutcomes Run(config::RegistryConfig& config, const EventRecord& event, bool passed_filters,
                   config::TraceFile& trace, const DestinationSet* only = nullptr);

  // Sends what waits in the queues of the stream destinations, for the
  // rounds without an event: one outcome for each that had frames waiting.
  SendOutcomes Flush(config::TraceFile& trace);

  // Facility 3 (system daemons) with severity error (27) for errors and
  // audit successes, warning (28) for warnings, notice (29) for the rest.
  static std::int32_t Priority(std::int32_t type_code);
  static std::string Message(const EventRecord& event);

 private:
  struct Entry;
  struct KeptStream;
  std::optional<Entry> ReadEntry(config::RegistryConfig& config, std::int32_t number,
                                 config::TraceFile& trace);
  SendOutcome SendTo(const Entry& entry, const EventRecord& event, config::TraceFile& trace);
  void SendDatagram(const Entry& entry, const EventRecord& event, config::TraceFile& trace,
                    SendOutcome& outcome);
  void SendOnStream(const Entry& entry, const EventRecord& event, config::TraceFile& trace,
                    SendOutcome& outcome);
  StreamDestination& StreamFor(const Entry& entry, const std::string& label);
  SendOutcome QueueOutcome(std::int32_t number, const KeptStream& kept) const;

  platform::Sockets& sockets_;
  std::optional<SyslogStreams> streams_;
  // The stream destinations by entry number, each with its label.
  struct KeptStream {
    std::string label;
    std::unique_ptr<StreamDestination> destination;
  };
  std::map<std::int32_t, KeptStream> stream_destinations_;
  std::string message_;
  std::string frame_;
};

}  // namespace kivo::forwarding
