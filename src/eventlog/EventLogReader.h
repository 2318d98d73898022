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

// How far the reader has read one log: for the service's status.
struct LogProgress {
  const char* name = nullptr;
  bool initialised = false;
  std::uint32_t next_record = 0;  // the number of the next record it will read
};

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

  EventLogReader(platform::EventLog& event_log, platform::Messages& messages,
                 platform::Pause& pause, platform::Registry& registry,
                 LogPositions* positions = nullptr, OutageReport report = {},
                 platform::SteadyClock clock = platform::SteadyMilliseconds);
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

  // How far each log has been read, in the log table's order.
  std::array<LogProgress, kLogCount> Progress() const;
  // The log table index of the current event's log; -1 before the first.
  int CurrentLog() const { return delivered_ != nullptr ? delivered_->index() : -1; }

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
  const char* GetLogName() const { return event_.log_name; }
  std::uint32_t GetRecordNumber() const { return event_.record_number; }
  std::uint32_t GetTimeGenerated() const { return event_.time_generated; }

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
