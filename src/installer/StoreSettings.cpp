#include "installer/StoreSettings.h"

#include <algorithm>
#include <cctype>
#include <vector>

#include "config/RegistryConfig.h"
#include "snmp/UsmKeys.h"
#include "snmp/UsmUser.h"

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
  if (text == "3") {
    return 3;
  }
  return std::nullopt;
}

std::optional<std::int32_t> ParseLevel(const std::string& text) {
  if (text.size() == 1 && text[0] >= '0' && text[0] <= '2') {
    return text[0] - '0';
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

// SYSLOGPROTOCOL and SYSLOGFORMAT in the store's words.
std::optional<std::string> ParseProtocol(const std::string& text) {
  const std::optional<config::SyslogProtocol> protocol = config::ParseSyslogProtocol(text);
  if (!protocol) return std::nullopt;
  return config::SyslogProtocolText(*protocol);
}
std::optional<std::string> ParseFormat(const std::string& text) {
  const std::optional<config::SyslogFormat> format = config::ParseSyslogFormat(text);
  if (!format) return std::nullopt;
  return config::SyslogFormatText(*format);
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

  config::SyslogOptions& options = settings.syslog_options;
  struct TextProperty {
    const char* name;
    std::optional<std::string>* target;
    std::optional<std::string> (*parse)(const std::string& text) = nullptr;
    const char* allowed = nullptr;
  };
  for (const TextProperty& text :
       {TextProperty{properties::kTrapDestination, &settings.destination},
        TextProperty{properties::kCommunity, &settings.community},
        TextProperty{properties::kSyslogHost, &settings.syslog_host},
        TextProperty{properties::kSyslogProtocol, &options.protocol, ParseProtocol,
                     "udp, tcp or tls"},
        TextProperty{properties::kSyslogFormat, &options.format, ParseFormat, "classic or rfc5424"},
        TextProperty{properties::kSyslogTlsName, &options.tls_name},
        TextProperty{properties::kSyslogCa, &options.tls_ca}}) {
    const std::string value = property(text.name);
    if (value.empty()) {
      continue;
    }
    if (!FitsStore(value)) {
      return fail(text.name + too_long);
    }
    *text.target = text.parse ? text.parse(value) : value;
    if (!*text.target) {
      return fail(std::string(text.name) + " must be " + text.allowed + ", not \"" + value + "\"");
    }
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
        NumberProperty{properties::kInform, &settings.inform, ParseSwitch, "0 or 1"},
        NumberProperty{properties::kV3Level, &settings.v3_level, ParseLevel, "0, 1 or 2"},
        NumberProperty{properties::kSnmpVersion, &settings.version, ParseSnmpVersion,
                       "1, 2c or 3"}}) {
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

  struct ChoiceProperty {
    const char* name;
    std::optional<std::string>* target;
    std::vector<const char*> allowed;
    const char* allowed_text;
  };
  for (const ChoiceProperty& choice :
       {ChoiceProperty{properties::kV3Auth,
                       &settings.v3_auth,
                       {"SHA", "SHA-256", "SHA-384", "SHA-512"},
                       "SHA, SHA-256, SHA-384 or SHA-512 (Windows has no SHA-224)"},
        ChoiceProperty{properties::kV3Priv, &settings.v3_priv, {"AES"}, "AES"}}) {
    const std::string value = property(choice.name);
    if (value.empty()) {
      continue;
    }
    if (std::find_if(choice.allowed.begin(), choice.allowed.end(), [&value](const char* allowed) {
          return value == allowed;
        }) == choice.allowed.end()) {
      return fail(std::string(choice.name) + " must be " + choice.allowed_text + ", not \"" +
                  value + "\"");
    }
    *choice.target = value;
  }
  const std::string user = property(properties::kV3User);
  if (user.size() > snmp::kMaxUserNameLength) {
    return fail(std::string(properties::kV3User) + " is longer than " +
                std::to_string(snmp::kMaxUserNameLength) + " characters, more than SNMPv3 allows");
  }
  if (!user.empty()) {
    settings.v3_user = user;
  }
  // The value of a secret never goes into the message.
  for (const TextProperty& secret :
       {TextProperty{properties::kV3AuthPass, &settings.auth_passphrase},
        TextProperty{properties::kV3PrivPass, &settings.priv_passphrase}}) {
    std::string value = property(secret.name);
    if (value.empty()) {
      continue;
    }
    if (value.size() < snmp::kMinPassphraseLength || value.size() > snmp::kMaxPassphraseLength) {
      return fail(std::string(secret.name) + " must have " +
                  std::to_string(snmp::kMinPassphraseLength) + " to " +
                  std::to_string(snmp::kMaxPassphraseLength) + " characters");
    }
    *secret.target = std::move(value);
  }

  for (const char* name :
       {properties::kSyslogPort, properties::kSyslogProtocol, properties::kSyslogFormat,
        properties::kSyslogTlsName, properties::kSyslogCa}) {
    if (!settings.syslog_host && !property(name).empty()) {
      return fail(std::string(name) +
                  " needs SYSLOGHOST: it belongs to the syslog destination that SYSLOGHOST sets");
    }
  }
  const bool tls = options.protocol == config::SyslogProtocolText(config::SyslogProtocol::kTls);
  if ((options.tls_name || options.tls_ca) && options.protocol && !tls) {
    return fail(std::string(options.tls_name ? properties::kSyslogTlsName : properties::kSyslogCa) +
                " is a setting of TLS: it needs SYSLOGPROTOCOL=tls, not " + *options.protocol);
  }
  result.settings = settings;
  return result;
}

platform::RegStatus WriteStoreSettings(platform::Registry& registry, platform::Secrets& secrets,
                                       const StoreSettings& settings) {
  // Constructing the store creates its defaults when it has no root key.
  config::RegistryConfig store(registry, nullptr);
  if (!store.IsOpen()) {
    return store.OpenError();
  }
  config::WriteResult written;
  const auto text = [&](const char* name, const std::optional<std::string>& value) {
    if (value) {
      written.Add(store.WriteText(name, *value));
    }
  };
  const auto number = [&](const char* name, const std::optional<std::int32_t>& value) {
    if (value) {
      written.Add(store.WriteNumber(name, *value));
    }
  };
  // The order in which the tool's SNMP page saves them, then the switches.
  namespace names = config::names;
  text(names::kCommunity, settings.community);
  text(names::kDestination, settings.destination);
  number(names::kPort, settings.port);
  number(names::kVersion, settings.version);
  number(names::kBurst, settings.burst);
  number(names::kResume, settings.resume);
  number(names::kInform, settings.inform);
  text(names::kV3User, settings.v3_user);
  number(names::kV3Level, settings.v3_level);
  text(names::kV3Auth, settings.v3_auth);
  text(names::kV3Priv, settings.v3_priv);
  for (const auto& [name, passphrase] :
       {std::pair(platform::kSecretAuthPassphrase, &settings.auth_passphrase),
        std::pair(platform::kSecretPrivPassphrase, &settings.priv_passphrase)}) {
    if (*passphrase) {
      written.Add(static_cast<platform::RegStatus>(secrets.Write(name, **passphrase)));
    }
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
  // The port proposed for the entry's protocol, before and after the write.
  const auto proposed_port = [](const std::optional<std::string>& protocol) {
    return config::ProposedSyslogPort(
        config::ParseSyslogProtocol(protocol.value_or("")).value_or(config::SyslogProtocol::kUdp));
  };
  const std::optional<std::string> stored_protocol =
      config::ReadOptionalText(store, config::names::kSyslogProtocol).text;
  const std::optional<std::int32_t> stored_port =
      config::TryRead([&] { return store.GetSyslogPort(); });
  const std::optional<std::string>& protocol =
      settings.syslog_options.protocol ? settings.syslog_options.protocol : stored_protocol;
  written.Add(store.SetSyslogHost(*settings.syslog_host));
  if (settings.syslog_port) {
    written.Add(store.SetSyslogPort(*settings.syslog_port));
  } else if (!stored_port || *stored_port == proposed_port(stored_protocol)) {
    written.Add(store.SetSyslogPort(proposed_port(protocol)));
  }
  for (const config::SyslogOptionField& field : config::SyslogOptionFields()) {
    text(field.name, settings.syslog_options.*field.value);
  }
  return written.error();
}

}  // namespace kivo::installer
