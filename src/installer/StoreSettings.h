#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "config/SyslogOptions.h"
#include "platform/Registry.h"

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
constexpr const char* kAll[] = {kTrapDestination, kTrapPort,   kCommunity,      kSnmpVersion,
                                kSyslogHost,      kSyslogPort, kSyslogProtocol, kSyslogFormat,
                                kSyslogTlsName,   kSyslogCa,   kBurst,          kResume};
}  // namespace properties

// What an install writes into the store. A value that is absent was not given
// and is left as the store holds it.
struct StoreSettings {
  std::optional<std::string> destination;
  std::optional<std::int32_t> port;
  std::optional<std::string> community;
  std::optional<std::int32_t> version;  // as stored: 0 SNMPv1, 1 SNMPv2c
  std::optional<std::string> syslog_host;
  std::optional<std::int32_t> syslog_port;
  // Its "protocol", "format" ("udp", "tcp", "tls"; "classic", "rfc5424"),
  // "tlsname" and "tlsca".
  config::SyslogOptions syslog_options;
  std::optional<std::int32_t> burst;  // 0 or 1
  std::optional<std::int32_t> resume;
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

// Checks the properties and turns them into store values: SNMPVERSION is "1"
// or "2c", ports are 1 to 65535, BURST and RESUME are "0" or "1",
// SYSLOGPROTOCOL is udp, tcp or tls and SYSLOGFORMAT classic or rfc5424 (in
// any case, stored in lower case), texts fit what the store can read back,
// the other SYSLOG properties come only with SYSLOGHOST, and SYSLOGTLSNAME
// and SYSLOGCA not with another SYSLOGPROTOCOL than tls.
ParsedStoreSettings ParseStoreSettings(const PropertyLookup& property);

// Writes the settings into the store. A machine without a store first gets
// the complete default store, exactly as either program creates it on first
// use, so the result is never a partial store. The SYSLOG properties set the
// first syslog destination (entry "0"): its host, the optional values given,
// and its port when given; without SYSLOGPORT a new entry gets the port the
// tool proposes for its protocol (514, 6514 for TLS), and so does one whose
// protocol changes while its port is the one proposed for the old protocol.
// "usefilters" is written as 0 only when missing, and every other
// destination stays. The registry's error when the store could not be
// opened or refused a write.
platform::RegStatus WriteStoreSettings(platform::Registry& registry, const StoreSettings& settings);

}  // namespace kivo::installer
