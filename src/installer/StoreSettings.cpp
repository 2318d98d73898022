#include "installer/StoreSettings.h"

#include <cctype>

#include "config/RegistryConfig.h"

namespace kivo::installer {

namespace {

constexpr std::int32_t kHighestPort = 65535;

std::optional<std::int32_t> ParsePort(const std::string& text) {
  if (text.empty() || text.size() > 5) {
    return std::nullopt;
  }
  std::int32_t port = 0;
  for (char c : text) {
    if (!std::isdigit(static_cast<unsigned char>(c))) {
      return std::nullopt;
    }
    port = port * 10 + (c - '0');
  }
  if (port < 1 || port > kHighestPort) {
    return std::nullopt;
  }
  return port;
}

std::optional<std::int32_t> ParseSnmpVersion(const std::string& text) {
  if (text == "1") {
    return 0;
  }
  if (text == "2c" || text == "2C") {
    return 1;
  }
  return std::nullopt;
}

// "burst" and "resume": on or off.
std::optional<std::int32_t> ParseSwitch(const std::string& text) {
  if (text == "0" || text == "1") {
    return text == "1" ? 1 : 0;
  }
  return std::nullopt;
}

// The store reads texts through a fixed buffer; a longer text would be
// written but could never be read back by the service.
bool FitsStore(const std::string& text) {
  return text.size() < config::RegistryConfig::kTextBufferSize;
}

}  // namespace

ParsedStoreSettings ParseStoreSettings(const PropertyLookup& property) {
  ParsedStoreSettings result;
  StoreSettings settings;
  const auto fail = [&result](const std::string& error) {
    result.error = error;
    return result;
  };
  const std::string too_long = " is longer than 127 characters, more than the service can read";

  struct TextProperty {
    const char* name;
    std::optional<std::string>* target;
  };
  for (const TextProperty& text :
       {TextProperty{properties::kTrapDestination, &settings.destination},
        TextProperty{properties::kCommunity, &settings.community},
        TextProperty{properties::kSyslogHost, &settings.syslog_host}}) {
    const std::string value = property(text.name);
    if (value.empty()) {
      continue;
    }
    if (!FitsStore(value)) {
      return fail(text.name + too_long);
    }
    *text.target = value;
  }

  struct NumberProperty {
    const char* name;
    std::optional<std::int32_t>* target;
    std::optional<std::int32_t> (*parse)(const std::string& text);
    const char* allowed;
  };
  const char* const port = "a port number from 1 to 65535";
  for (const NumberProperty& number :
       {NumberProperty{properties::kTrapPort, &settings.port, ParsePort, port},
        NumberProperty{properties::kSyslogPort, &settings.syslog_port, ParsePort, port},
        NumberProperty{properties::kBurst, &settings.burst, ParseSwitch, "0 or 1"},
        NumberProperty{properties::kResume, &settings.resume, ParseSwitch, "0 or 1"},
        NumberProperty{properties::kSnmpVersion, &settings.version, ParseSnmpVersion, "1 or 2c"}}) {
    const std::string value = property(number.name);
    if (value.empty()) {
      continue;
    }
    *number.target = number.parse(value);
    if (!*number.target) {
      return fail(std::string(number.name) + " must be " + number.allowed + ", not \"" + value +
                  "\"");
    }
  }

  if (settings.syslog_port && !settings.syslog_host) {
    return fail("SYSLOGPORT needs SYSLOGHOST: it is the port of that syslog destination");
  }
  result.settings = settings;
  return result;
}

platform::RegStatus WriteStoreSettings(platform::Registry& registry,
                                       const StoreSettings& settings) {
  // Constructing the store creates its defaults when it has no root key.
  config::RegistryConfig store(registry, nullptr);
  if (!store.IsOpen()) {
    return store.OpenError();
  }
  config::WriteResult written;
  // The order in which the tool's SNMP page saves them, then the switches.
  if (settings.community) {
    written.Add(store.SetCommunity(*settings.community));
  }
  if (settings.destination) {
    written.Add(store.SetDestination(*settings.destination));
  }
  if (settings.port) {
    written.Add(store.SetPort(*settings.port));
  }
  if (settings.version) {
    written.Add(store.SetSnmpVersion(*settings.version));
  }
  if (settings.burst) {
    written.Add(store.WriteNumber(config::names::kBurst, *settings.burst));
  }
  if (settings.resume) {
    written.Add(store.WriteNumber(config::names::kResume, *settings.resume));
  }
  if (!settings.syslog_host) {
    return written.error();
  }

  store.set_create(true);
  store.Open(config::names::kSyslog);
  if (!config::TryRead([&] { return store.GetUseFilters(); })) {
    written.Add(store.SetUseFilters(0));
  }
  store.OpenEntry(0);
  written.Add(store.SetSyslogHost(*settings.syslog_host));
  if (settings.syslog_port) {
    written.Add(store.SetSyslogPort(*settings.syslog_port));
  } else if (!config::TryRead([&] { return store.GetSyslogPort(); })) {
    written.Add(store.SetSyslogPort(kDefaultSyslogPort));
  }
  return written.error();
}

}  // namespace kivo::installer
