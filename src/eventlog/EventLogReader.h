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
// current event. Only records written after construction are ever read,
// unless positions kept by an earlier run say where to go on (resume).
//
// Its pace: by default every fetch pauses first and asks the logs in table
// order. In burst mode a fetch pauses only after one that found nothing,
// and starts with the log after the one that delivered last, so that one
// busy log cannot hold the others back.
//
// A log that cannot be read is opened again later and never given up; each
// outage and its end go to `report` (see LogOutage), for the service's
// messages in the Application log.
//
// The platform pieces and the kept positions (null without resume) are
// injected and must outlive the reader.
class EventLogReader {
 public:
  static constexpr std::uint32_t kPauseMilliseconds = 500;

  // How far reading of one log has come, for the service's status.
  struct LogProgress {
    const char* name;
    bool initialised;
    std::uint32_t next_record;  // the number of the record it reads next
  };

  EventLogReader(platform::EventLog& event_log, platform::Messages& messages,
                 platform::Pause& pause, platform::Registry& registry,
                 LogPositions* positions = nullptr, OutageReport report = {},
                 MillisecondClock clock = SteadyMilliseconds);
  virtual ~EventLogReader();
  EventLogReader(const EventLogReader&) = delete;
  EventLogReader& operator=(const EventLogReader&) = delete;

  // Pauses (in burst mode only after a fetch that found nothing), then reads
  // the next new record of the first log that has one and decodes it into
  // the current event. False when no log had a new record.
  virtual bool FetchNext();
  // Chooses the pace of the next fetches.
  void set_burst(bool burst) { burst_ = burst; }
  // Tells that the current event has been forwarded: with resume, its log
  // keeps the position after it.
  void KeepPosition();
  // Closes every open log.
  virtual void CloseAll();
  // Each log's progress, in the order of the log table.
  std::array<LogProgress, kLogCount> Progress() const;

  // The current event: the record fetched last. The text buffers are
  // writable (the trap stage edits them in place) and always zero-terminated
  // (the names within DecodedEvent::kNameSize).
  std::int32_t GetEventId() const { return event_.event_id; }
  std::int32_t GetEventType() const { return event_.event_type; }
  std::int32_t GetCategory() const { return event_.category; }
  char* GetSource() { return event_.source; }
  char* GetComputer() { return event_.computer; }
  char* GetUser() { return event_.user; }
  char* GetDescription() { return event_.description.data(); }

 private:
  // Reads the next record of one log and decodes it.
  bool ReadAndDecode(LogCursor& log);

  platform::Pause& pause_;
  platform::Registry& registry_;
  const CursorServices services_;
  RecordDecoder decoder_;
  std::array<LogCursor, kLogCount> logs_;
  RecordBuffer record_;
  DecodedEvent event_;
  bool burst_ = false;
  bool found_last_ = true;          // whether the last fetch delivered a record
  int next_first_ = 0;              // in burst mode, the log the next fetch asks first
  LogCursor* delivered_ = nullptr;  // the log of the current event
};

}  // namespace kivo::eventlog
