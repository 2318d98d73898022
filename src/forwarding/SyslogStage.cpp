#include "forwarding/SyslogStage.h"

#include <cstring>
#include <optional>
#include <set>

#include "forwarding/OptionalReads.h"
#include "snmp/UdpEndpoint.h"

namespace kivo::forwarding {

namespace names = config::names;

namespace {
constexpr std::int32_t kErrorPriority = 27;
constexpr std::int32_t kWarningPriority = 28;
constexpr std::int32_t kNoticePriority = 29;
}  // namespace

// One destination entry as the stage sends to it.
struct SyslogStage::Entry {
  std::int32_t number = 0;
  std::string host;
  std::int32_t port = 0;
  SyslogProtocol protocol = SyslogProtocol::kUdp;
  SyslogFormat format = SyslogFormat::kClassic;
  std::string tls_name = StreamTarget::kDefaultServerName;
  std::string tls_ca;
  std::string invalid;  // why the entry's options cannot be used; empty when they can
};

SyslogStage::SyslogStage(platform::Sockets& sockets) : sockets_(sockets) {}

SyslogStage::~SyslogStage() = default;

void SyslogStage::EnableStreams(const SyslogStreams& streams) {
  streams_.emplace(streams);
}

std::int32_t SyslogStage::Priority(std::int32_t type_code) {
  switch (type_code) {
    case 1:  // error
    case 4:  // audit success
      return kErrorPriority;
    case 2:  // warning
      return kWarningPriority;
    default:
      return kNoticePriority;
  }
}

std::string SyslogStage::Message(const EventRecord& event) {
  std::string message = "<" + std::to_string(Priority(event.event_type)) + ">";
  message += event.source;
  message += ": ";
  message += event.user;
  message += ": ";
  message += event.description;
  return message;
}

SendOutcomes SyslogStage::Run(config::RegistryConfig& config, const EventRecord& event,
                              bool passed_filters, config::TraceFile& trace,
                              const DestinationSet* only) {
  SendOutcomes outcomes;
  config.Open(names::kSyslog);
  const std::optional<std::int32_t> use_filters = TryReadNumber(config, names::kUseFilters);
  if (!use_filters) {
    // Has no effect when "Syslog" itself is missing: the service never
    // creates that key.
    config.WriteNumber(names::kUseFilters, 0);
    return outcomes;
  }
  if (*use_filters != 0 && !passed_filters) {
    trace.Line("syslog using filters and event is filtered...not forwarding");
    return outcomes;
  }
  const std::uint32_t count = config.CountSubkeys();
  std::set<std::int32_t> listed;
  // Names other than numbers come last, and are no destinations.
  for (const std::string& name : config.EntryNames(count)) {
    const std::optional<std::int32_t> number = config::EntryNumber(name);
    if (!number) break;
    listed.insert(*number);
    if (only != nullptr && only->count(DestinationId::Syslog(*number)) == 0) continue;
    if (const std::optional<Entry> entry = ReadEntry(config, *number, trace)) {
      outcomes.push_back(SendTo(*entry, event, trace));
    }
  }
  // The connections of entries that are gone go with them.
  for (auto kept = stream_destinations_.begin(); kept != stream_destinations_.end();) {
    kept = listed.count(kept->first) == 0 ? stream_destinations_.erase(kept) : std::next(kept);
  }
  return outcomes;
}

std::optional<SyslogStage::Entry> SyslogStage::ReadEntry(config::RegistryConfig& config,
                                                         std::int32_t number,
                                                         config::TraceFile& trace) {
  // The stored path keeps naming "Syslog", so each entry is a sibling.
  config.OpenEntry(number);
  Entry entry;
  entry.number = number;
  const std::optional<std::string> host = TryReadText(config, names::kSyslogHost);
  const std::optional<std::int32_t> port =
      host ? TryReadNumber(config, names::kSyslogPort) : std::nullopt;
  if (!port) {
    trace.Line("cannot read ", host ? names::kSyslogPort : names::kSyslogHost,
               " of syslog destination ", number, ", destination skipped");
    return std::nullopt;
  }
  entry.host = *host;
  entry.port = *port;

  const auto unreadable = [&entry](const char* name) {
    if (entry.invalid.empty()) entry.invalid = std::string("\"") + name + "\" cannot be read";
  };
  const config::OptionalText protocol = config::ReadOptionalText(config, names::kSyslogProtocol);
  if (protocol.unreadable) unreadable(names::kSyslogProtocol);
  if (protocol.text) {
    if (const std::optional<SyslogProtocol> parsed = config::ParseSyslogProtocol(*protocol.text)) {
      entry.protocol = *parsed;
    } else if (entry.invalid.empty()) {
      entry.invalid = "unknown protocol \"" + *protocol.text + "\"";
    }
  }
  const config::OptionalText format = config::ReadOptionalText(config, names::kSyslogFormat);
  if (format.unreadable) unreadable(names::kSyslogFormat);
  if (format.text) {
    if (const std::optional<SyslogFormat> parsed = config::ParseSyslogFormat(*format.text)) {
      entry.format = *parsed;
    } else if (entry.invalid.empty()) {
      entry.invalid = "unknown format \"" + *format.text + "\"";
    }
  }
  if (entry.protocol == SyslogProtocol::kTls) {
    const config::OptionalText name = config::ReadOptionalText(config, names::kSyslogTlsName);
    if (name.unreadable) unreadable(names::kSyslogTlsName);
    if (name.text && !name.text->empty()) entry.tls_name = *name.text;
    const config::OptionalText ca = config::ReadOptionalText(config, names::kSyslogTlsCa);
    if (ca.unreadable) unreadable(names::kSyslogTlsCa);
    if (ca.text) entry.tls_ca = *ca.text;
  }
  const bool stream = entry.protocol != SyslogProtocol::kUdp;
  if (entry.invalid.empty() && (stream || entry.format != SyslogFormat::kClassic) && !streams_) {
    entry.invalid = "TCP, TLS and RFC 5424 are not available here";
  }
  if (entry.invalid.empty() && stream && (entry.port < 1 || entry.port > 65535)) {
    entry.invalid = "port " + std::to_string(entry.port) + " is not from 1 to 65535";
  }
  return entry;
}

SendOutcome SyslogStage::SendTo(const Entry& entry, const EventRecord& event,
                                config::TraceFile& trace) {
  SendOutcome outcome;
  outcome.destination = DestinationId::Syslog(entry.number);
  outcome.label = "the syslog destination " + std::to_string(entry.number) + " (" +
                  HostAndPort(entry.host, entry.port) + ")";
  if (!entry.invalid.empty()) {
    trace.Line("failed to send to ", entry.host, " on port ", entry.port);
    trace.Line("error is ", entry.invalid);
    outcome.reason = entry.invalid;
    return outcome;
  }
  if (entry.protocol == SyslogProtocol::kUdp) {
    SendDatagram(entry, event, trace, outcome);
  } else {
    SendOnStream(entry, event, trace, outcome);
  }
  return outcome;
}

void SyslogStage::SendDatagram(const Entry& entry, const EventRecord& event,
                               config::TraceFile& trace, SendOutcome& outcome) {
  snmp::UdpEndpoint endpoint(sockets_, entry.port, entry.host);
  if (!endpoint.IsReady()) {
    trace.Line("failed to send to ", entry.host, " on port ", entry.port);
    trace.Line("error is ", endpoint.LastError());
    outcome.error = static_cast<std::uint32_t>(endpoint.LastError());
    return;
  }
  std::string message;
  if (entry.format == SyslogFormat::kClassic) {
    message = Message(event);
    if (message.size() > snmp::UdpEndpoint::kMaxDatagramSize) {
      // The description ends the message, so it is what is cut.
      const std::size_t excess = message.size() - snmp::UdpEndpoint::kMaxDatagramSize;
      trace.Line("description cut to ", std::strlen(event.description) - excess,
                 " bytes to fit one datagram");
      message.resize(snmp::UdpEndpoint::kMaxDatagramSize);
    }
  } else {
    SyslogFormatter(streams_->ansi).Format(entry.format, event, message);
    if (message.size() > snmp::UdpEndpoint::kMaxDatagramSize) {
      // The description ends the message too; it is cut between characters.
      message.resize(Utf8CutLength(message, snmp::UdpEndpoint::kMaxDatagramSize));
      trace.Line("message cut to ", message.size(), " bytes to fit one datagram");
    }
  }
  trace.Line("sending <", message, ">");
  const std::int32_t sent =
      endpoint.SendBytes(message.data(), static_cast<std::int32_t>(message.size()));
  trace.Line("sent ", sent, " bytes");
  outcome.sent = sent > 0;
  if (!outcome.sent) outcome.error = static_cast<std::uint32_t>(endpoint.LastError());
}

void SyslogStage::SendOnStream(const Entry& entry, const EventRecord& event,
                               config::TraceFile& trace, SendOutcome& outcome) {
  SyslogFormatter(streams_->ansi).Format(entry.format, event, message_);
  FrameOctetCounted(message_, frame_);
  StreamDestination& destination = StreamFor(entry, outcome.label);
  trace.Line("sending <", message_, ">");
  const std::optional<platform::StreamError> error = destination.Deliver(frame_, trace);
  const std::optional<platform::StreamError>& failure =
      destination.delivery() == StreamDestination::Delivery::kHold ? error : destination.failure();
  if (!failure) {
    outcome.sent = true;
    trace.Line(destination.waiting() == 0 ? "sent " : "queued ", frame_.size(), " bytes");
    return;
  }
  outcome.error = failure->code;
  outcome.reason = platform::Describe(*failure, streams_->error_text);
  outcome.stopped = failure->stopped;
  trace.Line("failed to send to ", entry.host, " on port ", entry.port);
  trace.Line("error is ", outcome.reason);
  if (destination.waiting() > 0) trace.Line(destination.waiting(), " messages wait");
}

StreamDestination& SyslogStage::StreamFor(const Entry& entry, const std::string& label) {
  StreamTarget target;
  target.host = entry.host;
  target.port = static_cast<std::uint16_t>(entry.port);
  target.tls = entry.protocol == SyslogProtocol::kTls;
  if (target.tls) target.tls_peer = platform::TlsPeer{entry.tls_name, entry.tls_ca};
  KeptStream& kept = stream_destinations_[entry.number];
  if (!kept.destination || kept.destination->target() != target ||
      kept.destination->delivery() != streams_->delivery) {
    // A destination whose settings changed starts anew (a queue of the old
    // one reports what it dropped as it goes).
    kept.destination.reset();
    const StreamServices services{streams_->streams, sockets_, streams_->clock, streams_->stop,
                                  streams_->error_text};
    kept.destination = std::make_unique<StreamDestination>(label, target, streams_->delivery,
                                                           services, streams_->report);
  }
  kept.label = label;
  return *kept.destination;
}

SendOutcome SyslogStage::QueueOutcome(std::int32_t number, const KeptStream& kept) const {
  SendOutcome outcome;
  outcome.destination = DestinationId::Syslog(number);
  outcome.label = kept.label;
  outcome.counted = false;
  const std::optional<platform::StreamError>& failure = kept.destination->failure();
  outcome.sent = !failure;
  if (failure) {
    outcome.error = failure->code;
    outcome.reason = platform::Describe(*failure, streams_->error_text);
  }
  return outcome;
}

SendOutcomes SyslogStage::Flush(config::TraceFile& trace) {
  SendOutcomes outcomes;
  for (auto& [number, kept] : stream_destinations_) {
    if (kept.destination->delivery() != StreamDestination::Delivery::kQueue ||
        kept.destination->waiting() == 0) {
      continue;
    }
    kept.destination->Flush(trace);
    outcomes.push_back(QueueOutcome(number, kept));
  }
  return outcomes;
}

}  // namespace kivo::forwarding
