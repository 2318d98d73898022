#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/CodePage.h"

namespace kivo::platform::evt {

// The content of one event record (EVENTLOGRECORD), independent of how its
// strings are encoded.
struct EventRecordFields {
  std::uint32_t record_number = 0;
  std::uint32_t time_generated = 0;
  std::uint32_t time_written = 0;
  std::uint32_t event_id = 0;
  std::uint16_t event_type = 0;
  std::uint16_t event_category = 0;
  std::uint32_t closing_record_number = 0;
  std::u16string source;
  std::u16string computer;
  std::vector<unsigned char> user_sid;
  std::vector<std::u16string> strings;
  std::vector<unsigned char> data;
};

// How the strings of a record are stored: UTF-16LE as in .evt files (and
// ReadEventLogW), or ANSI as ReadEventLogA returns them.
enum class RecordEncoding { kUtf16, kAnsi };

constexpr std::uint32_t kRecordFixedSize = 0x38;
constexpr std::uint32_t kRecordSignature = 0x654c664c;  // "LfLe"

// The record's bytes: fixed part, source and computer names, padding to four
// bytes, user SID, insertion strings, data, padding, and the length again.
// Offsets and Length are computed for the encoding; ANSI strings are in
// the code page given.
std::vector<unsigned char> EncodeRecord(const EventRecordFields& fields, RecordEncoding encoding,
                                        std::uint32_t code_page = kWindows1252);

// Parses one whole record of `size` bytes, ANSI strings taken as
// Windows-1252. False when anything in it is out
// of place: a length that disagrees with the size or with the trailing copy,
// a missing signature, a name or string without its terminator, or an offset
// or length that reaches outside the record.
bool DecodeRecord(const unsigned char* bytes, std::uint32_t size, RecordEncoding encoding,
                  EventRecordFields* fields);

// Little-endian access to byte buffers.
inline std::uint32_t Load32(const unsigned char* p) {
  return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
         static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}
inline std::uint16_t Load16(const unsigned char* p) {
  return static_cast<std::uint16_t>(p[0] | p[1] << 8);
}
inline void Store32(unsigned char* p, std::uint32_t v) {
  p[0] = static_cast<unsigned char>(v);
  p[1] = static_cast<unsigned char>(v >> 8);
  p[2] = static_cast<unsigned char>(v >> 16);
  p[3] = static_cast<unsigned char>(v >> 24);
}
inline void Store16(unsigned char* p, std::uint16_t v) {
  p[0] = static_cast<unsigned char>(v);
  p[1] = static_cast<unsigned char>(v >> 8);
}

}  // namespace kivo::platform::evt
