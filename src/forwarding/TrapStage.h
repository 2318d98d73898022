#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "config/RegistryConfig.h"
#include "config/TraceFile.h"
#include "forwarding/CalendarClock.h"
#include "forwarding/Destination.h"
#include "forwarding/EventRecord.h"
#include "forwarding/NotificationSender.h"
#include "forwarding/TrapSettings.h"
#include "platform/Sockets.h"

namespace kivo::snmp {
class SnmpMessage;
}

namespace kivo::forwarding {

// Turns an event that passed the filters into one SNMP trap (SNMPv1 when
// "version" is 0, else SNMPv2c) and sends it as one datagram to the trap
// destination. The specific code is the event id for an id listed under
// "Maps", else 1; the enterprise is "senderOID" or the default; the event's
// fields travel as bindings as the include flags say; with "stripCRLF" on,
// the line breaks of the included text fields are replaced by blanks in the
// event itself, so that the syslog stage sends the same text. A description
// too long for one datagram is cut to fit, with a trace line.
//
// "version" 3 sends the SNMPv2c trap's PDU in an SNMPv3 message instead,
// and "inform" an InformRequest-PDU that the receiver acknowledges (SNMPv2c
// and SNMPv3; SNMPv1 has no inform, and its traps stay traps); both go
// through the NotificationSender, which fails them while it is not enabled.
//
// Values read here that cannot be read fall back to their defaults, with a
// trace line: "senderOID" to the default enterprise, "stripCRLF" to 0 (line
// breaks kept), an include flag to 1 (binding included). The trap still
// goes out.
class TrapStage {
 public:
  static constexpr char kDefaultEnterprise[] = "1.3.6.1.4.1.5309.6.1.2.1";
  static constexpr std::int32_t kGenericTrap = 6;  // enterpriseSpecific
  static constexpr std::int32_t kUnmappedSpecificCode = 1;

  TrapStage(platform::Sockets& sockets, CalendarClock clock);
  ~TrapStage();

  // Makes SNMPv3 and informs possible; `start_ms` is the run's start on
  // the platform's clock, from which Kivo's engine time counts.
  void EnableNotifications(const NotificationPlatform& platform, std::int64_t start_ms);

  // What became of the trap: sent, or why not.
  SendOutcome Run(config::RegistryConfig& config, EventRecord& event, const TrapSettings& settings,
                  std::int32_t uptime, config::TraceFile& trace);

 private:
  std::int32_t SpecificCode(config::RegistryConfig& config, std::int32_t event_id,
                            config::TraceFile& trace);
  // Builds the trap into an empty message, its description binding cut to
  // `description_limit` octets.
  void Compose(snmp::SnmpMessage& message, config::RegistryConfig& config, EventRecord& event,
               const TrapSettings& settings, std::int32_t uptime, std::int32_t specific,
               config::TraceFile& trace, std::size_t description_limit, bool inform);
  std::string Enterprise(config::RegistryConfig& config, config::TraceFile& trace);
  void AddEventBindings(config::RegistryConfig& config, EventRecord& event,
                        snmp::SnmpMessage& message, config::TraceFile& trace,
                        std::size_t description_limit);
  SendOutcome Send(snmp::SnmpMessage& message, const TrapSettings& settings, bool inform,
                   config::TraceFile& trace);

  platform::Sockets& sockets_;
  CalendarClock clock_;
  std::unique_ptr<NotificationSender> notifications_;
};

}  // namespace kivo::forwarding
