#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "config/TraceFile.h"
#include "platform/EventLog.h"
#include "platform/Messages.h"
#include "platform/Pause.h"
#include "platform/Registry.h"

namespace kivo::eventlog {

// The service's only source of events. Keeps one handle on each of the
// Application, Security and System logs, remembers the number of the next
// record it expects in each, and on request hands over the next new record of
// the first log that has one, decoded into the current event. Only records
// written after construction are ever read.
//
// The platform pieces are injected and must outlive the reader.
class EventLogReader {
 public:
  static constexpr int kLogCount = 3;
  static constexpr std::uint32_t kRecordBufferSize = 8196;
  static constexpr std::uint32_t kNameSize = 256;
  static constexpr std::uint32_t kDescriptionSize = 8196;
  static constexpr std::uint32_t kMessageBufferSize = 4096;
  static constexpr std::uint32_t kExpandedPathSize = 8196;
  static constexpr int kParameterSlots = 30;
  static constexpr std::uint32_t kPauseMilliseconds = 500;
  // Log names, in reading order.
  static const char* const kLogNames[kLogCount];

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
  // within their sizes (kNameSize, kDescriptionSize).
  std::int32_t GetEventId() const { return event_id_; }
  std::int32_t GetEventType() const { return event_type_; }
  std::int32_t GetCategory() const { return category_; }
  char* GetSource() { return source_; }
  char* GetComputer() { return computer_; }
  char* GetUser() { return user_; }
  char* GetDescription() { return description_; }

  // The steps of a fetch, public so that each can be driven on its own.
  bool ReadFromLog(int log_index);
  void OpenLog(int log_index);
  void CloseLog(int log_index);
  bool ResetPosition(int log_index);
  // Fills the current event from the record buffer (the record read last).
  void DecodeRecord(int log_index);
  // The parameter text `message_number` of the current record's source,
  // from its "ParameterMessageFile" modules, kept in a parameter slot until
  // the end of the decode; null when there is none.
  const char* getParm(int log_index, std::uint32_t message_number);

  bool IsInitialised(int log_index) const { return logs_[log_index].initialised; }
  std::uint32_t NextRecord(int log_index) const { return logs_[log_index].next_record; }
  // The platform's last error, taken after each log open and count query.
  std::uint32_t LastError() const { return last_error_; }

 private:
  struct LogState {
    platform::EventLogHandle handle = platform::kNoEventLog;
    std::uint32_t next_record = 0;
    bool initialised = false;
  };

  // "logging" of the store's root key; false when it cannot be read, and
  // then, with `write_default`, written as 0.
  bool TracingOn(bool write_default);
  void ReopenLog(int log_index, config::TraceFile& trace);
  // After "no new events": when the log wrapped past next record, moves on to
  // the oldest record that still exists. True when it moved.
  bool SkipOverwrittenRecords(int log_index, config::TraceFile& trace);
  void ClearEvent();
  void DecodeDescription(int log_index, const class RawEventRecord& record,
                         config::TraceFile& trace);
  bool FormatFromModule(int log_index, const RawEventRecord& record, const char* module_path,
                        config::TraceFile& trace);
  // A module path with its environment references expanded, through an
  // 8196-byte buffer.
  std::string ExpandModulePath(const char* module_path);
  void JoinInsertionStrings(const RawEventRecord& record, config::TraceFile& trace);
  void DecodeUser(const RawEventRecord& record, config::TraceFile& trace);
  void ClearParameterSlots();

  platform::EventLog& event_log_;
  platform::Messages& messages_;
  platform::Pause& pause_;
  platform::Registry& registry_;

  std::array<LogState, kLogCount> logs_;
  std::uint32_t last_error_ = 0;

  unsigned char record_buffer_[kRecordBufferSize];
  std::uint32_t record_length_ = 0;  // bytes of the record read last
  std::string decoding_source_;
  std::array<std::string, kParameterSlots> parameter_slots_;
  std::array<bool, kParameterSlots> slot_used_{};

  std::int32_t event_id_ = 0;
  std::int32_t event_type_ = 0;
  std::int32_t category_ = 0;
  char source_[kNameSize];
  char computer_[kNameSize];
  char user_[kNameSize];
  char description_[kDescriptionSize];
};

}  // namespace kivo::eventlog
