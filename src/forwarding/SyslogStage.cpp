#include "forwarding/SyslogStage.h"

#include <cstring>
#include <optional>

#include "forwarding/OptionalReads.h"
#include "snmp/UdpEndpoint.h"

namespace kivo::forwarding {

namespace names = config::names;

namespace {
constexpr std::int32_t kErrorPriority = 27;
constexpr std::int32_t kWarningPriority = 28;
constexpr std::int32_t kNoticePriority = 29;
}  // namespace

SyslogStage::SyslogStage(platform::Sockets& sockets) : sockets_(sockets) {}

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
  // Names other than numbers come last, and are no destinations.
  for (const std::string& name : config.EntryNames(count)) {
    const std::optional<std::int32_t> number = config::EntryNumber(name);
    if (!number) break;
    if (only != nullptr && only->count(DestinationId::Syslog(*number)) == 0) continue;
    // The stored path keeps naming "Syslog", so each entry is a sibling.
    config.OpenEntry(*number);
    const std::optional<std::string> host = TryReadText(config, names::kSyslogHost);
    const std::optional<std::int32_t> port =
        host ? TryReadNumber(config, names::kSyslogPort) : std::nullopt;
    if (!port) {
      trace.Line("cannot read ", host ? names::kSyslogPort : names::kSyslogHost,
                 " of syslog destination ", *number, ", destination skipped");
      continue;
    }
    outcomes.push_back(SendTo(*number, *host, *port, event, trace));
  }
  return outcomes;
}

SendOutcome SyslogStage::SendTo(std::int32_t number, const std::string& host, std::int32_t port,
                                const EventRecord& event, config::TraceFile& trace) {
  SendOutcome outcome;
  outcome.destination = DestinationId::Syslog(number);
  outcome.label =
      "the syslog destination " + std::to_string(number) + " (" + HostAndPort(host, port) + ")";
  snmp::UdpEndpoint endpoint(sockets_, port, host);
  if (!endpoint.IsReady()) {
    trace.Line("failed to send to ", host, " on port ", port);
    trace.Line("error is ", endpoint.LastError());
    outcome.error = static_cast<std::uint32_t>(endpoint.LastError());
    return outcome;
  }
  std::string message = Message(event);
  if (message.size() > snmp::UdpEndpoint::kMaxDatagramSize) {
    // The description ends the message, so it is what is cut.
    const std::size_t excess = message.size() - snmp::UdpEndpoint::kMaxDatagramSize;
    trace.Line("description cut to ", std::strlen(event.description) - excess,
               " bytes to fit one datagram");
    message.resize(snmp::UdpEndpoint::kMaxDatagramSize);
  }
  trace.Line("sending <", message, ">");
  const std::int32_t sent =
      endpoint.SendBytes(message.data(), static_cast<std::int32_t>(message.size()));
  trace.Line("sent ", sent, " bytes");
  outcome.sent = sent > 0;
  if (!outcome.sent) outcome.error = static_cast<std::uint32_t>(endpoint.LastError());
  return outcome;
}

}  // namespace kivo::forwarding
