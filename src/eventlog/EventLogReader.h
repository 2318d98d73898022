#pragma once

#include <array>
#include <cstdint>

#include "eventlog/LogCursor.h"
#include "eventlog/LogTable.h"
#include "eventlog/RecordDecoder.h"
#include "platform/EventLog.h"
#include "platform/Messages.h"
#include "platform/Pause.h"
#include "platform/Registry.h"

namespace kivo::eventlog {

// The service's only source of events. Follows the Application, Security
// and System logs, each with a cursor of its own, and on request hands over
// the next new record of the first log that has one, decoded into the
// current event. Only records written after construction are ever read.
//
// The platform pieces are injected and must outlive the reader.
class EventLogReader {
 public:
  static constexpr std::uint32_t kPauseMilliseconds = 500;

  EventLogReader(platform::EventLog& event_log, platform::Messages& messages,
                 platform::Pause& pause, platform::Registry& registry);
  virtual ~EventLogReader();
  EventLogReader(const EventLogReader&) = delete;
  EventLogReader& operator=(const EventLogReader&) = delete;

  // Pauses, then reads the next new record of the first log that has one and
  // decodes it into the current event. False when no log had a new record.
  virtual bool FetchNext();
  // Closes every open log.
  virtual void CloseAll();

  // The current event: the record fetched last. The text buffers are
  // writable (the trap stage edits them in place) and always zero-terminated
  // within their sizes (DecodedEvent::kNameSize, kDescriptionSize).
  std::int32_t GetEventId() const { return event_.event_id; }
  std::int32_t GetEventType() const { return event_.event_type; }
  std::int32_t GetCategory() const { return event_.category; }
  char* GetSource() { return event_.source; }
  char* GetComputer() { return event_.computer; }
  char* GetUser() { return event_.user; }
  char* GetDescription() { return event_.description; }

 private:
  // Reads the next record of one log and decodes it.
  bool ReadAndDecode(LogCursor& log);

  platform::Pause& pause_;
  platform::Registry& registry_;
  RecordDecoder decoder_;
  std::array<LogCursor, kLogCount> logs_;
  RecordBuffer record_;
  DecodedEvent event_;
};

}  // namespace kivo::eventlog
