#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "forwarding/EventRecord.h"
#include "platform/AnsiText.h"

namespace kivo::forwarding {

// How a syslog destination's messages look and travel: the "format" and
// "protocol" values of its entry.
enum class SyslogFormat { kClassic, kRfc5424 };
enum class SyslogProtocol { kUdp, kTcp, kTls };

// "classic" or "rfc5424", and "udp", "tcp" or "tls", in any case; nothing
// for a text that names neither.
std::optional<SyslogFormat> ParseSyslogFormat(std::string_view text);
std::optional<SyslogProtocol> ParseSyslogProtocol(std::string_view text);

// Builds an event's syslog message.
//
// classic: "<PRI>source: user: description", as the service has always
// sent it, texts in the ANSI code page.
//
// rfc5424 (RFC 5424), texts in UTF-8:
//   <PRI>1 TIMESTAMP HOSTNAME APP-NAME - MSGID [kivo@5309 log="…" record="…"
//   type="…" category="…" user="…"] BOM description
// TIMESTAMP is the record's time generated in UTC with milliseconds,
// HOSTNAME its computer, APP-NAME its source (at most 48 octets), MSGID its
// event id; type and category are the numbers filters and traps use. Header
// fields keep only printable US-ASCII without space (every other octet
// becomes "_") and are "-" when empty; the parameter values escape '"', '\'
// and ']' with a backslash.
class SyslogFormatter {
 public:
  explicit SyslogFormatter(platform::AnsiText& ansi) : ansi_(ansi) {}

  // Replaces `message` with the event's message in `format`.
  void Format(SyslogFormat format, const EventRecord& event, std::string& message);

 private:
  void FormatRfc5424(const EventRecord& event, std::string& message);
  void AppendParameter(const char* name, std::string_view utf8, std::string& message);

  platform::AnsiText& ansi_;
  std::string utf8_;  // a converted text on its way into the message
};

// RFC 6587 octet counting, for TCP and TLS: replaces `frame` with the
// message's length in decimal, a space and the message.
void FrameOctetCounted(std::string_view message, std::string& frame);

// The longest start of a UTF-8 message of at most `limit` octets that does
// not end inside a character: where to cut an RFC 5424 message for a
// datagram.
std::size_t Utf8CutLength(std::string_view message, std::size_t limit);

}  // namespace kivo::forwarding
