#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace kivo::eventlog {

// A read-only view of one event record in the platform's EVENTLOGRECORD
// layout with ANSI strings, as ReadEventLogA returns it. Nothing in the
// record is trusted: every offset, length and count is checked against the
// bytes actually read, and a field that does not lie inside them reads as
// absent (an empty name, fewer insertion strings, no user).
class RawEventRecord {
 public:
  static constexpr std::uint32_t kFixedSize = 0x38;

  RawEventRecord(const unsigned char* bytes, std::uint32_t size);

  std::uint32_t RecordNumber() const { return Read32(0x08); }
  // Seconds since 1970-01-01 UTC.
  std::uint32_t TimeGenerated() const { return Read32(0x0C); }
  std::uint32_t EventId() const { return Read32(0x14); }
  std::uint16_t EventType() const { return Read16(0x18); }
  // The count the record claims; InsertionStrings() holds those present.
  std::uint16_t NumStrings() const { return Read16(0x1A); }
  std::uint16_t EventCategory() const { return Read16(0x1C); }
  std::uint32_t UserSidLength() const { return Read32(0x28); }

  std::string_view SourceName() const { return source_; }
  std::string_view ComputerName() const { return computer_; }
  const std::vector<std::string_view>& InsertionStrings() const { return strings_; }
  // The user's security identifier when the record has one that lies within
  // the record and is well formed; null otherwise.
  const unsigned char* UserSid() const { return sid_; }

 private:
  std::uint32_t Read32(std::uint32_t offset) const;
  std::uint16_t Read16(std::uint32_t offset) const;
  // The zero-terminated text at `offset`; a text without its zero ends with
  // the record. Sets *next to the byte after the zero.
  std::string_view TextAt(std::uint32_t offset, std::uint32_t* next) const;
  void FindSid();

  const unsigned char* bytes_;
  std::uint32_t size_;  // usable bytes: those read, at most the record's Length
  std::string_view source_;
  std::string_view computer_;
  std::vector<std::string_view> strings_;
  const unsigned char* sid_ = nullptr;
};

}  // namespace kivo::eventlog
