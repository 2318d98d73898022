#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "config/SyslogOptions.h"
#include "platform/Registry.h"
#include "platform/Secrets.h"

namespace kivo::installer {

// The public properties of the package that configure the store, so that a
// fleet can be deployed silently.
namespace properties {
constexpr char kTrapDestination[] = "TRAPDESTINATION";
constexpr char kTrapPort[] = "TRAPPORT";
constexpr char kCommunity[] = "COMMUNITY";
constexpr char kSnmpVersion[] = "SNMPVERSION";
constexpr char kSyslogHost[] = "SYSLOGHOST";
constexpr char kSyslogPort[] = "SYSLOGPORT";
constexpr char kSyslogProtocol[] = "SYSLOGPROTOCOL";
constexpr char kSyslogFormat[] = "SYSLOGFORMAT";
constexpr char kSyslogTlsName[] = "SYSLOGTLSNAME";
constexpr char kSyslogCa[] = "SYSLOGCA";
constexpr char kBurst[] = "BURST";
constexpr char kResume[] = "RESUME";
constexpr char kInform[] = "INFORM";
constexpr char kV3User[] = "V3USER";
constexpr char kV3Level[] = "V3LEVEL";
constexpr char kV3Auth[] = "V3AUTH";
constexpr char kV3Priv[] = "V3PRIV";
constexpr char kV3AuthPass[] = "V3AUTHPASS";  // secret, like COMMUNITY
constexpr char kV3PrivPass[] = "V3PRIVPASS";  // secret
constexpr const char* kAll[] = {kTrapDestination, kTrapPort,   kCommunity,      kSnmpVersion,
                                kSyslogHost,      kSyslogPort, kSyslogProtocol, kSyslogFormat,
                                kSyslogTlsName,   kSyslogCa,   kBurst,          kResume,
                                kInform,          kV3User,     kV3Level,        kV3Auth,
                                kV3Priv,          kV3AuthPass, kV3PrivPass};
}  // namespace properties

// What an install writes into the store. A value that is absent was not given
// and is left as the store holds it.
struct StoreSettings {
  std::optional<std::string> destination;
  std::optional<std::int32_t> port;
  std::optional<std::string> community;
  std::optional<std::int32_t> version;  // as stored: 0 SNMPv1, 1 SNMPv2c, 3 SNMPv3
  std::optional<std::string> syslog_host;
  std::optional<std::int32_t> syslog_port;
  // Its "protocol", "format" ("udp", "tcp", "tls"; "classic", "rfc5424"),
  // "tlsname" and "tlsca".
  config::SyslogOptions syslog_options;
  std::optional<std::int32_t> burst;  // 0 or 1
  std::optional<std::int32_t> resume;
  std::optional<std::int32_t> inform;
  std::optional<std::string> v3_user;
  std::optional<std::int32_t> v3_level;  // 0 noAuthNoPriv, 1 authNoPriv, 2 authPriv
  std::optional<std::string> v3_auth;
  std::optional<std::string> v3_priv;
  // Stored secrets, never store values.
  std::optional<std::string> auth_passphrase;
  std::optional<std::string> priv_passphrase;
};

// The settings, or why the properties cannot be used (the text the installer
// shows or logs before it fails).
struct ParsedStoreSettings {
  std::optional<StoreSettings> settings;
  std::string error;
};

// A property's value by name; the empty text when it was not given, as the
// installer has it.
using PropertyLookup = std::function<std::string(const char* name)>;

// Checks the properties and turns them into store values: SNMPVERSION is "1",
// "2c" or "3", ports are 1 to 65535, BURST, RESUME and INFORM are "0" or
// "1", V3LEVEL is "0", "1" or "2", V3AUTH is one of the protocols Windows
// computes (SHA, SHA-256, SHA-384, SHA-512: CNG has no SHA-224), V3PRIV is
// "AES", V3USER has at most 32 characters, the passphrases 8 to 1024
// (and their value never shows in an error), SYSLOGPROTOCOL is udp, tcp or
// tls and SYSLOGFORMAT classic or rfc5424 (in any case, stored in lower
// case), other texts fit what the store can read back, the other SYSLOG
// properties come only with SYSLOGHOST, and SYSLOGTLSNAME and SYSLOGCA not
// with another SYSLOGPROTOCOL than tls.
ParsedStoreSettings ParseStoreSettings(const PropertyLookup& property);

// Writes the settings into the store. A machine without a store first gets
// the complete default store, exactly as either program creates it on first
// use, so the result is never a partial store. The SYSLOG properties set the
// first syslog destination (entry "0"): its host, the optional values given,
// and its port when given; without SYSLOGPORT a new entry gets the port the
// tool proposes for its protocol (514, 6514 for TLS), and so does one whose
// protocol changes while its port is the one proposed for the old protocol.
// "usefilters" is written as 0 only when missing, and every other
// destination stays. The passphrases go to `secrets`. The registry's error
// when the store could not be opened or refused a write, or the secrets'
// when a passphrase could not be stored.
platform::RegStatus WriteStoreSettings(platform::Registry& registry, platform::Secrets& secrets,
                                       const StoreSettings& settings);

}  // namespace kivo::installer
