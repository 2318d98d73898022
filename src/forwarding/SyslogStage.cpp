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

void SyslogStage::Run(config::RegistryConfig& config, const EventRecord& event, bool passed_filters,
                      config::TraceFile& trace) {
  config.Open(names::kSyslog);
  const std::optional<std::int32_t> use_filters = TryReadNumber(config, names::kUseFilters);
  if (!use_filters) {
    // Has no effect when "Syslog" itself is missing: the service never
    // creates that key.
    config.WriteNumber(names::kUseFilters, 0);
    return;
  }
  if (*use_filters != 0 && !passed_filters) {
    trace.Line("syslog using filters and event is filtered...not forwarding");
    return;
  }
  const std::uint32_t count = config.CountSubkeys();
  for (std::uint32_t number = 0; number < count; ++number) {
    config.OpenEntry(static_cast<std::int32_t>(number));
    const std::optional<std::string> host = TryReadText(config, names::kSyslogHost);
    if (!host) return;
    const std::optional<std::int32_t> port = TryReadNumber(config, names::kSyslogPort);
    if (!port) return;
    SendTo(*host, *port, event, trace);
  }
}

void SyslogStage::SendTo(const std::string& host, std::int32_t port, const EventRecord& event,
                         config::TraceFile& trace) {
  snmp::UdpEndpoint endpoint(sockets_, port, host);
  if (!endpoint.IsReady()) {
    trace.Line("failed to send to ", host, " on port ", port);
    trace.Line("error is ", endpoint.LastError());
    return;
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
}

}  // namespace kivo::forwarding
