#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

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
constexpr char kBurst[] = "BURST";
constexpr char kResume[] = "RESUME";
constexpr const char* kAll[] = {kTrapDestination, kTrapPort,   kCommunity, kSnmpVersion,
                                kSyslogHost,      kSyslogPort, kBurst,     kResume};
}  // namespace properties

// The port a new syslog destination gets when SYSLOGPORT is not given: the
// one the configuration tool proposes.
constexpr std::int32_t kDefaultSyslogPort = 514;

// What an install writes into the store. A value that is absent was not given
// and is left as the store holds it.
struct StoreSettings {
  std::optional<std::string> destination;
  std::optional<std::int32_t> port;
  std::optional<std::string> community;
  std::optional<std::int32_t> version;  // as stored: 0 SNMPv1, 1 SNMPv2c
  std::optional<std::string> syslog_host;
  std::optional<std::int32_t> syslog_port;
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
// or "2c", ports are 1 to 65535, BURST and RESUME are "0" or "1", texts fit
// what the store can read back, and SYSLOGPORT comes only with SYSLOGHOST.
ParsedStoreSettings ParseStoreSettings(const PropertyLookup& property);

// Writes the settings into the store. A machine without a store first gets
// the complete default store, exactly as either program creates it on first
// use, so the result is never a partial store. SYSLOGHOST and SYSLOGPORT set
// the first syslog destination (entry "0"): its host, and its port when given
// (514 for a new entry); "usefilters" is written as 0 only when missing, and
// every other destination stays. The registry's error when the store could
// not be opened or refused a write.
platform::RegStatus WriteStoreSettings(platform::Registry& registry, const StoreSettings& settings);

}  // namespace kivo::installer
