#include "forwarding/TrapStage.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <optional>
#include <utility>

#include "forwarding/AgentAddress.h"
#include "forwarding/OptionalReads.h"
#include "forwarding/TrapDatagram.h"
#include "snmp/SnmpInteger.h"
#include "snmp/SnmpMessage.h"
#include "snmp/SnmpPdu.h"
#include "snmp/SnmpString.h"
#include "snmp/SnmpVarBind.h"
#include "snmp/UdpEndpoint.h"

namespace kivo::forwarding {

namespace names = config::names;

namespace {

// An event field that a trap can carry, with its include flag.
struct BindingRow {
  const char* flag;  // include flag in the root key
  const char* oid;
  EventField field;
  const char* added_line;
  const char* stripped_line;  // null for the number fields
};

// In the order the bindings are added.
constexpr BindingRow kBindingRows[] = {
    {names::kIen, "1.3.6.1.4.1.5309.6.1.1.1", EventField::kId, "added event number varbind",
     nullptr},
    {names::kIet, "1.3.6.1.4.1.5309.6.1.1.2", EventField::kType, "added event type varbind",
     nullptr},
    {names::kIes, "1.3.6.1.4.1.5309.6.1.1.3", EventField::kSource, "added event source varbind",
     "stripping event source"},
    {names::kIecn, "1.3.6.1.4.1.5309.6.1.1.4", EventField::kComputer,
     "added event computer name varbind", "stripping computer name"},
    {names::kIeu, "1.3.6.1.4.1.5309.6.1.1.5", EventField::kUser, "added event user varbind",
     "stripping user"},
    {names::kIed, "1.3.6.1.4.1.5309.6.1.1.6", EventField::kDescription,
     "added event description varbind", "stripping description"},
    {names::kIec, "1.3.6.1.4.1.5309.6.1.1.7", EventField::kCategory, "added event category varbind",
     nullptr},
};

// Replaces every CR and LF of a zero-terminated text with a blank, in place.
void ReplaceLineBreaks(char* text) {
  for (char* c = text; *c != '\0'; ++c) {
    if (*c == '\r' || *c == '\n') *c = ' ';
  }
}

}  // namespace

TrapStage::TrapStage(platform::Sockets& sockets, CalendarClock clock)
    : sockets_(sockets), clock_(std::move(clock)) {}

TrapStage::~TrapStage() = default;

void TrapStage::EnableNotifications(const NotificationPlatform& platform, std::int64_t start_ms) {
  notifications_ = std::make_unique<NotificationSender>(sockets_, platform, start_ms);
}

SendOutcome TrapStage::Run(config::RegistryConfig& config, EventRecord& event,
                           const TrapSettings& settings, std::int32_t uptime,
                           config::TraceFile& trace) {
  const bool inform = settings.inform && settings.version != 0;
  if (settings.inform && !inform) trace.Line("inform ignored: SNMPv1 has no inform");
  const std::int32_t specific = SpecificCode(config, event.event_id, trace);
  // An OCTET STRING holds at most kMaxContentLength octets anyway.
  const std::size_t length = std::min(std::strlen(event.description), snmp::kMaxContentLength);
  snmp::SnmpMessage message;
  Compose(message, config, event, settings, uptime, specific, trace, length, inform);
  // An SNMPv3 message is its PDU and a bounded envelope.
  const std::size_t size =
      settings.snmp_v3() ? message.PduEncodedSize() + snmp::kMaxV3Envelope : message.EncodedSize();
  if (size <= snmp::UdpEndpoint::kMaxDatagramSize) return Send(message, settings, inform, trace);
  // Only a description can be this long: it loses what is too much, and the
  // trap is composed again around it, without tracing that twice.
  const std::size_t keep = length - std::min(length, size - snmp::UdpEndpoint::kMaxDatagramSize);
  trace.Line("description cut to ", keep, " bytes to fit one datagram");
  config::TraceFile untraced;
  snmp::SnmpMessage smaller;
  Compose(smaller, config, event, settings, uptime, specific, untraced, keep, inform);
  return Send(smaller, settings, inform, trace);
}

void TrapStage::Compose(snmp::SnmpMessage& message, config::RegistryConfig& config,
                        EventRecord& event, const TrapSettings& settings, std::int32_t uptime,
                        std::int32_t specific, config::TraceFile& trace,
                        std::size_t description_limit, bool inform) {
  message.SetVersion(settings.version);
  message.SetCommunity(settings.community);
  const std::string enterprise = Enterprise(config, trace);
  if (settings.version == 0) {
    message.SetPduType(snmp::kPduTrapV1);
    message.SetEnterprise(enterprise);
    const std::string agent = AgentAddress::Find(sockets_);
    trace.Line("SenderIP is <", agent, ">");
    message.SetAgentAddress(agent);
    message.SetTimeStamp(uptime);
    message.SetGenericTrap(kGenericTrap);
    message.SetSpecificTrap(specific);
  } else {
    message.SetPduType(inform ? snmp::kPduInformRequest : snmp::kPduTrapV2);
    // The request id is the calendar time; its low 32 bits after 2038. An
    // inform's is given when it is sent.
    message.SetRequestId(static_cast<std::int32_t>(static_cast<std::uint32_t>(clock_())));
    message.SetErrorIndex(0);
    message.SetErrorStatus(0);
    // Set before the event bindings, so that sysUpTime.0 and snmpTrapOID.0
    // come first.
    message.AddTrapHeader(uptime, enterprise, kGenericTrap, specific);
  }
  AddEventBindings(config, event, message, trace, description_limit);
}

std::int32_t TrapStage::SpecificCode(config::RegistryConfig& config, std::int32_t event_id,
                                     config::TraceFile& trace) {
  if (config.MapExists(event_id)) {
    trace.Line("e.EventId<", event_id, "> is mapped");
    return event_id;
  }
  trace.Line("e.EventId<", event_id, "> is not mapped");
  return kUnmappedSpecificCode;
}

std::string TrapStage::Enterprise(config::RegistryConfig& config, config::TraceFile& trace) {
  config.Open("");  // the root key again; the map lookup left it on "Maps"
  const std::optional<std::string> sender = TryReadText(config, names::kSenderOid);
  if (!sender) {
    trace.Line("cannot read ", names::kSenderOid, ", using the default enterprise");
    return kDefaultEnterprise;
  }
  return sender->empty() ? kDefaultEnterprise : *sender;
}

void TrapStage::AddEventBindings(config::RegistryConfig& config, EventRecord& event,
                                 snmp::SnmpMessage& message, config::TraceFile& trace,
                                 std::size_t description_limit) {
  std::optional<std::int32_t> strip = TryReadNumber(config, names::kStripCrlf);
  if (!strip) {
    trace.Line("cannot read ", names::kStripCrlf, ", line breaks kept");
    strip = 0;
  }
  for (const BindingRow& row : kBindingRows) {
    std::optional<std::int32_t> include = TryReadNumber(config, row.flag);
    if (!include) {
      trace.Line("cannot read ", row.flag, ", binding included");
      include = 1;
    }
    if (*include == 0) continue;
    trace.Line(row.added_line);
    std::unique_ptr<snmp::SnmpValue> value;
    if (char* text = event.Text(row.field)) {
      if (*strip != 0) {
        trace.Line(row.stripped_line);
        ReplaceLineBreaks(text);
      }
      std::size_t length = std::strlen(text);
      if (row.field == EventField::kDescription) length = std::min(length, description_limit);
      value = std::make_unique<snmp::SnmpString>(std::string_view(text, length));
    } else {
      value = std::make_unique<snmp::SnmpInteger>(event.Number(row.field));
    }
    message.AddVarBind(std::make_unique<snmp::SnmpVarBind>(std::make_unique<snmp::SnmpOid>(row.oid),
                                                           std::move(value)));
  }
}

SendOutcome TrapStage::Send(snmp::SnmpMessage& message, const TrapSettings& settings, bool inform,
                            config::TraceFile& trace) {
  SendOutcome outcome;
  if (settings.snmp_v3() || inform) {
    if (notifications_) {
      outcome = notifications_->Send(message, settings, trace);
    } else {
      outcome.reason = "SNMPv3 and informs are not available here";
      trace.Line("trap not sent: ", outcome.reason);
    }
  } else {
    outcome = SendTrapDatagram(sockets_, settings, trace, [&message](snmp::UdpEndpoint& endpoint) {
      return endpoint.SendMessage(message);
    });
  }
  outcome.destination = DestinationId::Trap();
  outcome.label = "the trap destination " + HostAndPort(settings.destination, settings.port);
  return outcome;
}

}  // namespace kivo::forwarding
