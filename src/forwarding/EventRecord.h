#pragma once

#include <cstdint>

namespace kivo::eventlog {
class EventLogReader;
}

namespace kivo::forwarding {

// The seven fields of an event that filters look at and traps carry.
enum class EventField { kId, kType, kSource, kComputer, kUser, kDescription, kCategory };

// The event the stages work on: the numbers of the record fetched last and
// its text fields where they stand. The texts are zero-terminated, writable
// buffers owned by whoever decoded the event (the event log reader); the trap
// stage replaces line breaks in them in place, and the syslog stage, which
// runs after it, sends what it left.
struct EventRecord {
  std::int32_t event_id = 0;
  std::int32_t event_type = 0;
  std::int32_t category = 0;
  char* source = nullptr;
  char* computer = nullptr;
  char* user = nullptr;
  char* description = nullptr;
  // Where the record came from and when it was generated (seconds since
  // 1970-01-01 UTC); the syslog formats that carry them read them.
  const char* log_name = "";
  std::uint32_t record_number = 0;
  std::uint32_t time_generated = 0;

  // The text of a text field; null for the three number fields.
  char* Text(EventField field) const;
  // The value of a number field; 0 for the text fields.
  std::int32_t Number(EventField field) const;

  // The reader's current event.
  static EventRecord Current(eventlog::EventLogReader& reader);
};

}  // namespace kivo::forwarding
