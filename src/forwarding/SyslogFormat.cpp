#include "forwarding/SyslogFormat.h"

#include <charconv>
#include <cstdint>

#include "forwarding/SyslogStage.h"

namespace kivo::forwarding {
namespace {

constexpr std::size_t kAppNameLimit = 48;
constexpr std::size_t kHostNameLimit = 255;
constexpr char kByteOrderMark[] = "\xEF\xBB\xBF";

template <typename Number>
void AppendNumber(Number number, std::string& out) {
  char digits[24];
  const std::to_chars_result end = std::to_chars(digits, digits + sizeof(digits), number);
  out.append(digits, end.ptr);
}

void AppendTwoDigits(unsigned value, std::string& out) {
  out += static_cast<char>('0' + value / 10);
  out += static_cast<char>('0' + value % 10);
}

// "YYYY-MM-DDThh:mm:ss.000Z" for seconds since 1970-01-01 UTC (the
// proleptic Gregorian calendar, days counted from 0000-03-01).
void AppendTimestamp(std::uint32_t seconds, std::string& out) {
  const std::uint32_t days = seconds / 86400;
  const std::uint32_t second_of_day = seconds % 86400;
  const std::uint32_t shifted = days + 719468;  // days from 0000-03-01
  const std::uint32_t era = shifted / 146097;
  const std::uint32_t day_of_era = shifted - era * 146097;
  const std::uint32_t year_of_era =
      (day_of_era - day_of_era / 1460 + day_of_era / 36524 - day_of_era / 146096) / 365;
  const std::uint32_t day_of_year =
      day_of_era - (365 * year_of_era + year_of_era / 4 - year_of_era / 100);
  const std::uint32_t month_from_march = (5 * day_of_year + 2) / 153;
  const std::uint32_t day = day_of_year - (153 * month_from_march + 2) / 5 + 1;
  const std::uint32_t month = month_from_march < 10 ? month_from_march + 3 : month_from_march - 9;
  const std::uint32_t year = year_of_era + era * 400 + (month <= 2 ? 1 : 0);
  AppendTwoDigits(year / 100, out);
  AppendTwoDigits(year % 100, out);
  out += '-';
  AppendTwoDigits(month, out);
  out += '-';
  AppendTwoDigits(day, out);
  out += 'T';
  AppendTwoDigits(second_of_day / 3600, out);
  out += ':';
  AppendTwoDigits(second_of_day / 60 % 60, out);
  out += ':';
  AppendTwoDigits(second_of_day % 60, out);
  out += ".000Z";
}

// A header field: printable US-ASCII without space, every other octet as
// "_", at most `limit` octets, "-" (the nil value) when empty.
void AppendHeaderField(std::string_view text, std::size_t limit, std::string& out) {
  if (text.empty()) {
    out += '-';
    return;
  }
  const std::size_t length = text.size() < limit ? text.size() : limit;
  for (std::size_t i = 0; i < length; ++i) {
    const auto octet = static_cast<unsigned char>(text[i]);
    out += octet >= 33 && octet <= 126 ? static_cast<char>(octet) : '_';
  }
}

}  // namespace

void SyslogFormatter::Format(SyslogFormat format, const EventRecord& event, std::string& message) {
  if (format == SyslogFormat::kRfc5424) {
    FormatRfc5424(event, message);
  } else {
    message = SyslogStage::Message(event);
  }
}

void SyslogFormatter::FormatRfc5424(const EventRecord& event, std::string& message) {
  message.clear();
  message += '<';
  AppendNumber(SyslogStage::Priority(event.event_type), message);
  message += ">1 ";
  AppendTimestamp(event.time_generated, message);
  message += ' ';
  AppendHeaderField(event.computer, kHostNameLimit, message);
  message += ' ';
  AppendHeaderField(event.source, kAppNameLimit, message);
  message += " - ";
  AppendNumber(event.event_id, message);
  message += " [kivo@5309";
  AppendParameter("log", event.log_name, message);
  utf8_.clear();
  AppendNumber(event.record_number, utf8_);
  AppendParameter("record", utf8_, message);
  utf8_.clear();
  AppendNumber(event.event_type, utf8_);
  AppendParameter("type", utf8_, message);
  utf8_.clear();
  AppendNumber(event.category, utf8_);
  AppendParameter("category", utf8_, message);
  utf8_.clear();
  ansi_.AppendUtf8(event.user, utf8_);
  AppendParameter("user", utf8_, message);
  message += "] ";
  message += kByteOrderMark;
  ansi_.AppendUtf8(event.description, message);
  // Message texts end with a line break, which receivers would keep as
  // part of the message (rsyslog shows "#015"); breaks between lines stay.
  while (message.back() == '\n' || message.back() == '\r') message.pop_back();
}

void SyslogFormatter::AppendParameter(const char* name, std::string_view utf8,
                                      std::string& message) {
  message += ' ';
  message += name;
  message += "=\"";
  for (const char c : utf8) {
    if (c == '"' || c == '\\' || c == ']') message += '\\';
    message += c;
  }
  message += '"';
}

void FrameOctetCounted(std::string_view message, std::string& frame) {
  frame.clear();
  AppendNumber(message.size(), frame);
  frame += ' ';
  frame.append(message);
}

std::size_t Utf8CutLength(std::string_view message, std::size_t limit) {
  if (message.size() <= limit) return message.size();
  std::size_t cut = limit;
  // An octet 10xxxxxx continues a character: the cut moves to its start.
  while (cut > 0 && (static_cast<unsigned char>(message[cut]) & 0xC0) == 0x80) --cut;
  return cut;
}

}  // namespace kivo::forwarding
