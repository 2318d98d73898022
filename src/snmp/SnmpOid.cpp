#include "snmp/SnmpOid.h"

#include "snmp/DottedText.h"

#include <array>
#include <cstring>
#include <limits>

namespace kivo::snmp {
namespace {

std::uint32_t Saturate(std::uint64_t value) {
  const std::uint64_t max = std::numeric_limits<std::uint32_t>::max();
  return static_cast<std::uint32_t>(value > max ? max : value);
}

// Most sub-identifiers are below 128 and take one octet, nearly all others
// (enterprise numbers such as 5309) two.
inline void WriteSubIdentifier(std::uint8_t*& cursor, std::uint32_t value) {
  if (value < 0x80) {
    *cursor++ = static_cast<std::uint8_t>(value);
  } else if (value < 0x4000) {
    *cursor++ = static_cast<std::uint8_t>(0x80 | (value >> 7));
    *cursor++ = static_cast<std::uint8_t>(value & 0x7F);
  } else {
    BerWriteSubIdentifier(cursor, value);
  }
}

inline bool IsDigit(char c) {
  return static_cast<unsigned char>(c) - unsigned{'0'} <= 9;
}

// Reads one component of plain text: 1 to 9 decimal digits, then the end of
// the text or one dot followed by more text. False for anything else. Nine
// digits always fit in 32 bits, so there is nothing to saturate.
inline bool ReadPlainComponent(const char*& position, const char* end, std::uint32_t* value) {
  const char* p = position;
  std::uint32_t number = 0;
  while (p != end) {
    const unsigned digit = static_cast<unsigned char>(*p) - unsigned{'0'};
    if (digit > 9) break;
    number = number * 10 + digit;
    ++p;
  }
  const std::ptrdiff_t digits = p - position;
  if (digits == 0 || digits > 9) return false;
  if (p != end) {
    if (*p != '.' || p + 1 == end) return false;
    ++p;
  }
  position = p;
  *value = number;
  return true;
}

// The text every OID of the service has: at least two components of plain
// digits with single dots between them. Encoding it takes one pass without
// the general reader's white space, sign and saturation handling, and this
// runs for every OID of every trap. Returns the octets written, or 0 for any
// other text: the general reader then encodes it from the start, so both
// give the same result.
//
// No component of plain text encodes into more octets than it has
// characters, nor do the first two together, so a text no longer than the
// area needs no bounds checks; a longer one goes to the general reader,
// which cuts what does not fit.
std::size_t EncodePlainText(std::string_view text, std::uint8_t* area, std::size_t capacity) {
  if (text.size() > capacity) return 0;
  const char* p = text.data();
  const char* const end = p + text.size();
  std::uint32_t first = 0;
  std::uint32_t second = 0;
  if (text.size() > 4 && IsDigit(p[0]) && p[1] == '.' && IsDigit(p[2]) && p[3] == '.') {
    // The usual start, two one-digit arcs ("1.3.") and more
    first = static_cast<std::uint32_t>(p[0] - '0');
    second = static_cast<std::uint32_t>(p[2] - '0');
    p += 4;
  } else if (!ReadPlainComponent(p, end, &first) || p == end ||
             !ReadPlainComponent(p, end, &second)) {
    return 0;
  }
  std::uint8_t* cursor = area;
  WriteSubIdentifier(cursor, Saturate(40 * std::uint64_t{first} + second));
  // Where a digit, a dot and more text still fit (two components read, so
  // the text has at least three characters).
  const char* const last_short_step = end - 3;
  std::uint32_t sub_identifier = 0;
  while (p != end) {
    // Most components are one digit followed by a dot and more text
    // ("6.1.4.1."): runs of them take a loop of their own.
    while (p <= last_short_step) {
      const unsigned digit = static_cast<unsigned char>(p[0]) - unsigned{'0'};
      if (digit > 9 || p[1] != '.') break;
      *cursor++ = static_cast<std::uint8_t>(digit);
      p += 2;
    }
    if (!ReadPlainComponent(p, end, &sub_identifier)) return 0;
    WriteSubIdentifier(cursor, sub_identifier);
  }
  return static_cast<std::size_t>(cursor - area);
}

// Any text, read as DottedText reads it. Sub-identifiers that do not fit
// whole in the area end the OID.
std::size_t EncodeAnyText(std::string_view text, std::uint8_t* area, std::size_t capacity) {
  DottedText components(text);
  std::uint32_t first = 0;
  std::uint32_t second = 0;
  if (components.Next(&first)) components.Next(&second);

  std::uint8_t* cursor = area;
  std::uint8_t* const limit = area + capacity;
  BerWriteSubIdentifier(cursor, Saturate(40 * std::uint64_t{first} + second));
  std::uint32_t sub_identifier = 0;
  while (components.Next(&sub_identifier)) {
    if (static_cast<std::size_t>(limit - cursor) < BerSubIdentifierSize(sub_identifier)) break;
    WriteSubIdentifier(cursor, sub_identifier);
  }
  return static_cast<std::size_t>(cursor - area);
}

}  // namespace

SnmpOid::SnmpOid(std::string_view dotted_text) : SnmpValue(kTagObjectIdentifier, kTypeNameOid) {
  std::array<std::uint8_t, kMaxOidContent> area;
  std::size_t length = EncodePlainText(dotted_text, area.data(), area.size());
  if (length == 0) length = EncodeAnyText(dotted_text, area.data(), area.size());
  content_.Assign(area.data(), length);
  SetContentLength(length);
}

SnmpOid::SnmpOid(const std::uint8_t* content, std::size_t size)
    : SnmpValue(kTagObjectIdentifier, kTypeNameOid), content_(content, size) {
  SetContentLength(size);
}

SnmpOid::SnmpOid(std::unique_ptr<SnmpOid> other) : SnmpValue(kTagObjectIdentifier, kTypeNameOid) {
  if (other) {
    content_.TakeFrom(other->content_);
  } else {
    std::uint8_t area[1];
    content_.Assign(area, EncodeAnyText("", area, sizeof(area)));
  }
  SetContentLength(content_.size());
}

void SnmpOid::EncodeContent(std::uint8_t*& cursor) const {
  std::memcpy(cursor, content_.data(), content_.size());
  cursor += content_.size();
}

std::vector<std::uint32_t> SnmpOid::SubIdentifiers(const std::uint8_t* content, std::size_t size) {
  std::vector<std::uint32_t> values;
  std::uint32_t value = 0;
  for (std::size_t i = 0; i < size; ++i) {
    value = (value << 7) | (content[i] & 0x7Fu);
    if ((content[i] & 0x80) == 0) {
      values.push_back(value);
      value = 0;
    }
  }
  return values;
}

std::string SnmpOid::Text(const std::vector<std::uint32_t>& values) {
  if (values.empty()) return std::string();
  const std::uint32_t first = values[0];
  const std::uint32_t arc1 = first < 40 ? 0 : first < 80 ? 1 : 2;
  std::string text = std::to_string(arc1) + "." + std::to_string(first - 40 * arc1) + ".";
  for (std::size_t i = 1; i < values.size(); ++i) {
    if (i > 1) text += '.';
    text += std::to_string(values[i]);
  }
  return text;
}

std::string SnmpOid::BuildText() const {
  return Text(SubIdentifiers(content_.data(), content_.size()));
}

std::optional<std::string> SnmpOid::TextOfContent(const std::uint8_t* content, std::size_t size) {
  if (size == 0 || (content[size - 1] & 0x80) != 0) return std::nullopt;
  std::size_t start = 0;  // first octet of the current sub-identifier
  for (std::size_t i = 0; i < size; ++i) {
    // Five groups of seven bits hold 32 bits when the first holds four.
    const std::size_t octets = i - start + 1;
    if (octets > 5 || (octets == 5 && (content[start] & 0x7F) > 0x0F)) return std::nullopt;
    if ((content[i] & 0x80) == 0) start = i + 1;
  }
  return Text(SubIdentifiers(content, size));
}

}  // namespace kivo::snmp
