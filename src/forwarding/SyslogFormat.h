#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "config/SyslogOptions.h"
#include "forwarding/EventRecord.h"
#include "platform/AnsiText.h"

namespace kivo::forwarding {

using config::SyslogFormat;
using config::SyslogProtocol;

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
// and ']' with a backslash. Line breaks that end the description are
// left out.
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
