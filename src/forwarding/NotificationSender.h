#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <variant>

#include "config/TraceFile.h"
#include "forwarding/Destination.h"
#include "forwarding/TrapSettings.h"
#include "platform/Crypto.h"
#include "platform/Registry.h"
#include "platform/Secrets.h"
#include "platform/Sockets.h"
#include "platform/SteadyClock.h"
#include "platform/Stream.h"
#include "snmp/EngineStore.h"
#include "snmp/InformExchange.h"
#include "snmp/LocalEngine.h"
#include "snmp/SnmpMessage.h"
#include "snmp/SnmpV3Writer.h"
#include "snmp/UsmUser.h"

namespace kivo::forwarding {

// What SNMPv3 traps and informs need besides the sockets. All must outlive
// the stage.
struct NotificationPlatform {
  platform::Crypto& crypto;
  platform::Secrets& secrets;  // the passphrases "v3authpass" and "v3privpass"
  // The registry, written at once (not through a cache): Kivo's engine ID
  // and boots are kept in the store's root key.
  platform::Registry& registry;
  platform::StopCheck stop;  // ends an inform's wait when the service stops
  platform::SteadyClock clock = platform::SteadyMilliseconds;
};

// Sends the traps that are more than a datagram of the community form:
// SNMPv3 traps from Kivo's own engine, and informs (SNMPv2c or SNMPv3),
// which wait for the receiver's response. What it learns it keeps from
// event to event:
// - the user's keys, derived again only when the user's settings or
//   passphrases change, and localized once for Kivo's engine;
// - Kivo's engine: its ID kept in the store (made at the first SNMPv3
//   message ever), its boots raised in the store once per run, before the
//   first SNMPv3 message of the run, its time counted from the run's start.
//   A run that sends no SNMPv3 touches neither;
// - the inform exchange of the destination, with the receiver's engine it
//   discovered; made anew when the destination changes.
// Settings that cannot be used (a value missing or unknown, a passphrase
// not stored, a hash the platform lacks), a Report, an authentication
// failure and an inform that no response acknowledged are failed sends,
// with their reason. No reason, and no trace line, holds a passphrase.
class NotificationSender {
 public:
  // `start_ms`: the run's start on the platform's clock.
  NotificationSender(platform::Sockets& sockets, const NotificationPlatform& platform,
                     std::int64_t start_ms);
  ~NotificationSender();
  NotificationSender(const NotificationSender&) = delete;
  NotificationSender& operator=(const NotificationSender&) = delete;

  // Sends `message`, composed as for SNMPv2c (an SNMPv2-Trap-PDU, or an
  // InformRequest-PDU for an inform), as the settings say. The outcome's
  // destination and label are the caller's to fill in.
  SendOutcome Send(snmp::SnmpMessage& message, const TrapSettings& settings,
                   config::TraceFile& trace);

 private:
  // The user of the settings with its keys, kept while nothing it was
  // derived from changes; or why there is none.
  std::variant<const snmp::UsmUser*, std::string> User(const UsmSettings& settings);
  // Kivo's engine, set up at the first call that succeeds.
  std::variant<snmp::LocalEngine*, std::string> Engine();
  // The exchange for the destination, made anew when it changed.
  snmp::InformExchange& Exchange(const TrapSettings& settings);
  SendOutcome SendTrap(snmp::SnmpMessage& message, const TrapSettings& settings,
                       const snmp::UsmUser& user, snmp::LocalEngine& engine,
                       config::TraceFile& trace);
  SendOutcome Inform(snmp::SnmpMessage& message, const TrapSettings& settings,
                     const snmp::UsmUser* user, const snmp::LocalEngine* engine,
                     config::TraceFile& trace);
  void ForgetUser();

  platform::Sockets& sockets_;
  NotificationPlatform platform_;
  std::int64_t start_ms_;
  snmp::SnmpV3Writer writer_;
  snmp::EngineStore engine_store_;
  std::optional<snmp::LocalEngine> engine_;

  // What the kept user was derived from. The passphrases are wiped when
  // they change and when the sender goes.
  struct Source {
    std::string name;
    snmp::SecurityLevel level = snmp::SecurityLevel::kNoAuthNoPriv;
    platform::HashAlgorithm auth = platform::HashAlgorithm::kSha1;
    std::string auth_passphrase;
    std::string priv_passphrase;
  };
  Source source_;
  std::optional<snmp::UsmUser> user_;
  std::optional<snmp::LocalizedUser> local_user_;  // localized for Kivo's engine

  std::unique_ptr<snmp::InformExchange> exchange_;
  std::string exchange_host_;
  std::int32_t exchange_port_ = 0;
};

}  // namespace kivo::forwarding
