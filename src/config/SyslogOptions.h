#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kivo::config {

class RegistryConfig;

// How a syslog destination's messages travel and look: its entry's
// "protocol" and "format" values.
enum class SyslogProtocol { kUdp, kTcp, kTls };
enum class SyslogFormat { kClassic, kRfc5424 };

// "udp", "tcp" or "tls", and "classic" or "rfc5424", in any case; nothing
// for a text that names neither.
std::optional<SyslogProtocol> ParseSyslogProtocol(std::string_view text);
std::optional<SyslogFormat> ParseSyslogFormat(std::string_view text);
// The texts the store holds, in lower case.
const char* SyslogProtocolText(SyslogProtocol protocol);
const char* SyslogFormatText(SyslogFormat format);

// The port the tool and the package propose for a destination: 514 for UDP
// and TCP, 6514 for TLS (RFC 5425).
std::int32_t ProposedSyslogPort(SyslogProtocol protocol);

// The optional values of a syslog destination entry ("protocol", "format",
// "tlsname", "tlsca"), each absent or its text as stored. Absent values are
// not written: an entry without them is exactly what it always was.
struct SyslogOptions {
  std::optional<std::string> protocol = std::nullopt;
  std::optional<std::string> format = std::nullopt;
  std::optional<std::string> tls_name = std::nullopt;
  std::optional<std::string> tls_ca = std::nullopt;

  bool operator==(const SyslogOptions& other) const {
    return protocol == other.protocol && format == other.format && tls_name == other.tls_name &&
           tls_ca == other.tls_ca;
  }
  bool operator!=(const SyslogOptions& other) const { return !(*this == other); }
};

// An optional text value of the current key: absent, its text, or there but
// unreadable (a value of another type, or too long for the read buffer),
// which is no absent one.
struct OptionalText {
  std::optional<std::string> text;
  bool unreadable = false;
};
OptionalText ReadOptionalText(RegistryConfig& config, const char* name);

// Each optional value with its name in the store, in the order an add
// writes them.
struct SyslogOptionField {
  const char* name;
  std::optional<std::string> SyslogOptions::*value;
};
const std::array<SyslogOptionField, 4>& SyslogOptionFields();

// The optional values of the current key, the one entry; `unreadable` when
// one of them is there but cannot be read (it is then absent in `options`).
struct ReadSyslogOptionsResult {
  SyslogOptions options;
  bool unreadable = false;
};
ReadSyslogOptionsResult ReadSyslogOptions(RegistryConfig& config);

}  // namespace kivo::config
