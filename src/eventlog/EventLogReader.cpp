#include "eventlog/EventLogReader.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "config/RegistryConfig.h"
#include "eventlog/EventSourceKey.h"
#include "eventlog/MessageArguments.h"
#include "eventlog/RawEventRecord.h"

namespace kivo::eventlog {

using config::TraceFile;

const char* const EventLogReader::kLogNames[kLogCount] = {"Application", "Security", "System"};

namespace {

constexpr std::uint32_t kSeekForwards =
    platform::kEventLogSeekRead | platform::kEventLogForwardsRead;
constexpr std::uint32_t kFormatForTrace =
    platform::kFormatFromSystem | platform::kFormatFromHmodule | platform::kFormatIgnoreInserts;
constexpr std::uint32_t kFormatWithArguments =
    platform::kFormatArgumentArray | platform::kFormatFromSystem | platform::kFormatFromHmodule;
constexpr std::uint32_t kAccountBufferSize = 1000;

// Copies text into a fixed buffer, cutting what does not fit, always
// zero-terminated.
template <std::size_t N>
void CopyCut(char (&buffer)[N], std::string_view text) {
  const std::size_t length = std::min(text.size(), N - 1);
  if (length > 0) std::memcpy(buffer, text.data(), length);
  buffer[length] = '\0';
}

// Appends text to the zero-terminated content of a fixed buffer, cutting
// what does not fit.
template <std::size_t N>
void AppendCut(char (&buffer)[N], std::string_view text) {
  const std::size_t used = std::strlen(buffer);
  const std::size_t length = std::min(text.size(), N - 1 - used);
  if (length > 0) std::memcpy(buffer + used, text.data(), length);
  buffer[used + length] = '\0';
}

std::int32_t TypeCode(std::uint16_t event_type) {
  switch (event_type) {
    case 0:
      return 0;  // success
    case 1:
      return 1;  // error
    case 2:
      return 2;  // warning
    case 4:
      return 3;  // information
    case 8:
      return 4;  // audit success
    case 16:
      return 5;  // audit failure
    default:
      return event_type;
  }
}

// The modules of a message-file list, split at each ";". A ";" with nothing
// after it ends the list.
std::vector<std::string> SplitModuleList(const std::string& list) {
  std::vector<std::string> modules;
  std::string::size_type start = 0;
  while (true) {
    const std::string::size_type semicolon = list.find(';', start);
    if (semicolon == std::string::npos) {
      modules.push_back(list.substr(start));
      return modules;
    }
    modules.push_back(list.substr(start, semicolon - start));
    start = semicolon + 1;
    if (start >= list.size()) return modules;
  }
}

// The number after the two percent signs of a parameter insertion string:
// its leading digits, 0 when there are none.
std::uint32_t ParameterNumber(std::string_view text) {
  std::uint32_t number = 0;
  for (std::size_t i = 2; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    number = number * 10 + static_cast<std::uint32_t>(text[i] - '0');
  }
  return number;
}

bool IsParameterInsertion(std::string_view text) {
  return text.size() >= 2 && text[0] == '%' && text[1] == '%';
}

}  // namespace

EventLogReader::EventLogReader(platform::EventLog& event_log, platform::Messages& messages,
                               platform::Pause& pause, platform::Registry& registry)
    : event_log_(event_log), messages_(messages), pause_(pause), registry_(registry) {
  std::memset(record_buffer_, 0, sizeof(record_buffer_));
  ClearEvent();
  ClearParameterSlots();
  for (int i = 0; i < kLogCount; ++i) {
    logs_[i].next_record = 0;
    logs_[i].initialised = false;
    OpenLog(i);
    // These two groups are written whatever "logging" says: a log that is
    // never read must not go unnoticed.
    if (logs_[i].handle == platform::kNoEventLog) {
      TraceFile trace(TraceFile::kFileName);
      trace.Line("Could not open Event Log for ", kLogNames[i]);
      trace.Line("Error is ", last_error_);
    } else if (!ResetPosition(i)) {
      TraceFile trace(TraceFile::kFileName);
      trace.Line("Could not get log count for ", i + 1);
      trace.Line("Error is ", last_error_);
    }
  }
}

EventLogReader::~EventLogReader() {
  CloseAll();
}

void EventLogReader::OpenLog(int log_index) {
  logs_[log_index].handle = event_log_.Open(kLogNames[log_index]);
  last_error_ = event_log_.LastError();
}

void EventLogReader::CloseLog(int log_index) {
  LogState& log = logs_[log_index];
  if (log.handle == platform::kNoEventLog) return;
  event_log_.Close(log.handle);
  log.handle = platform::kNoEventLog;
  log.initialised = false;
}

void EventLogReader::CloseAll() {
  for (LogState& log : logs_) {
    if (log.handle != platform::kNoEventLog) event_log_.Close(log.handle);
    log.handle = platform::kNoEventLog;
  }
}

bool EventLogReader::ResetPosition(int log_index) {
  LogState& log = logs_[log_index];
  std::uint32_t count = 0;
  const bool counted = event_log_.CountRecords(log.handle, &count);
  last_error_ = event_log_.LastError();
  if (!counted) return false;
  std::uint32_t oldest = 0;
  const bool found = event_log_.OldestRecord(log.handle, &oldest);
  last_error_ = event_log_.LastError();
  if (!found) return false;
  log.next_record = oldest + count;
  if (log.next_record == 0) log.next_record = 1;
  log.initialised = true;
  return true;
}

bool EventLogReader::TracingOn(bool write_default) {
  config::RegistryConfig config(registry_, nullptr);
  try {
    return config.GetLogging() != 0;
  } catch (const config::RegistryReadError&) {
    if (write_default) config.SetLogging(0);
    return false;
  }
}

bool EventLogReader::FetchNext() {
  pause_.Wait(kPauseMilliseconds);
  TraceFile trace = TraceFile::OpenIf(TracingOn(true));
  for (int i = 0; i < kLogCount; ++i) {
    if (!logs_[i].initialised) {
      trace.Line("eventlog ", kLogNames[i], " is NOT initialized");
      continue;
    }
    trace.Line("eventlog ", kLogNames[i], " is initialized");
    if (ReadFromLog(i)) {
      trace.Line("ReadEvent(", i, ") was successful ");
      return true;
    }
    trace.Line("ReadEvent(", i, ") was unsuccessful ");
  }
  return false;
}

bool EventLogReader::ReadFromLog(int log_index) {
  LogState& log = logs_[log_index];
  TraceFile trace = TraceFile::OpenIf(TracingOn(false));
  trace.Line("reading event log ", kLogNames[log_index]);

  std::uint32_t bytes_read = 0;
  bool read = false;
  for (int attempt = 0; !read; ++attempt) {
    std::memset(record_buffer_, 0, sizeof(record_buffer_));
    record_length_ = 0;
    std::uint32_t bytes_needed = 0;
    bytes_read = 0;
    read = event_log_.Read(log.handle, kSeekForwards, log.next_record, record_buffer_, 0,
                           &bytes_read, &bytes_needed);
    if (read) break;

    const std::uint32_t error = event_log_.LastError();
    if (error == platform::kErrorInvalidParameter) {
      trace.Line("tried to read size, but there are no new events to read");
    } else if (error == platform::kErrorHandleEof) {
      trace.Line("tried to read size, looks like it is empty");
    } else {
      trace.Line("tried to read size, status is <", 0, "> and error is <", error, ">");
    }

    if (error == platform::kErrorInsufficientBuffer) {
      trace.Line("read size success: size is ", bytes_needed);
      if (bytes_needed >= kRecordBufferSize) {
        trace.Line("size is too big, skipping");
        ++log.next_record;
        return false;
      }
      read = event_log_.Read(log.handle, kSeekForwards, log.next_record, record_buffer_,
                             bytes_needed, &bytes_read, &bytes_needed);
      if (read) break;
      const std::uint32_t second = event_log_.LastError();
      trace.Line("tried to read record, status is <", 0, "> and error is <", second, ">");
      if (second == platform::kErrorEventLogFileCorrupt ||
          second == platform::kErrorEventLogFileChanged) {
        ReopenLog(log_index, trace);
      }
      return false;
    }
    if (error == platform::kErrorEventLogFileCorrupt ||
        error == platform::kErrorEventLogFileChanged) {
      ReopenLog(log_index, trace);
      return false;
    }
    // Records overwritten before they were read would otherwise be asked for
    // for ever: go on with the oldest one left, and read it at once.
    if (error == platform::kErrorHandleEof || attempt > 0 ||
        !SkipOverwrittenRecords(log_index, trace)) {
      return false;
    }
  }

  ++log.next_record;
  trace.Line("Read <", bytes_read, "> bytes");
  record_length_ = std::min(bytes_read, kRecordBufferSize);
  DecodeRecord(log_index);
  return true;
}

void EventLogReader::ReopenLog(int log_index, TraceFile& trace) {
  CloseLog(log_index);
  OpenLog(log_index);
  if (logs_[log_index].handle == platform::kNoEventLog) {
    trace.Line("failed to reopen log ", kLogNames[log_index], " with error ", last_error_);
  }
  if (!ResetPosition(log_index)) {
    trace.Line("Could not re-get log count for ", kLogNames[log_index]);
    trace.Line("Error is ", last_error_);
  }
}

bool EventLogReader::SkipOverwrittenRecords(int log_index, TraceFile& trace) {
  LogState& log = logs_[log_index];
  std::uint32_t count = 0;
  std::uint32_t oldest = 0;
  if (!event_log_.CountRecords(log.handle, &count) || count == 0 ||
      !event_log_.OldestRecord(log.handle, &oldest) || log.next_record >= oldest) {
    return false;
  }
  trace.Line("records ", log.next_record, " to ", oldest - 1, " of ", kLogNames[log_index],
             " were overwritten before they were read, going on with record ", oldest);
  log.next_record = oldest;
  return true;
}

void EventLogReader::ClearEvent() {
  std::memset(source_, 0, sizeof(source_));
  std::memset(computer_, 0, sizeof(computer_));
  std::memset(user_, 0, sizeof(user_));
  std::memset(description_, 0, sizeof(description_));
}

void EventLogReader::ClearParameterSlots() {
  for (int i = 0; i < kParameterSlots; ++i) {
    parameter_slots_[i].clear();
    parameter_slots_[i].shrink_to_fit();
    slot_used_[i] = false;
  }
}

void EventLogReader::DecodeRecord(int log_index) {
  ClearEvent();
  TraceFile trace = TraceFile::OpenIf(TracingOn(false));
  const RawEventRecord record(record_buffer_, record_length_);

  event_id_ = static_cast<std::int32_t>(record.EventId() & 0xFFFF);
  event_type_ = TypeCode(record.EventType());
  category_ = record.EventCategory();
  trace.Line("eventID  <", event_id_, ">");
  trace.Line("raw eventID  <", record.EventId(), ">");
  trace.Line("eventType  <", event_type_, ">");
  trace.Line("eventCategory <", category_, ">");

  CopyCut(source_, record.SourceName());
  trace.Line("eventSource  <", source_, ">");

  decoding_source_ = source_;
  DecodeDescription(log_index, record, trace);
  ClearParameterSlots();

  CopyCut(computer_, record.ComputerName());
  trace.Line("computerName  <", computer_, ">");
  DecodeUser(record, trace);
}

void EventLogReader::DecodeDescription(int log_index, const RawEventRecord& record,
                                       TraceFile& trace) {
  std::string list;
  try {
    EventSourceKey key(registry_, kLogNames[log_index], source_);
    list = key.GetEventMessageFile();
  } catch (const config::RegistryReadError&) {
    trace.Line("No event message file for ", source_);
    JoinInsertionStrings(record, trace);
    return;
  }
  trace.Line("ModuleList  <", list, ">");
  for (const std::string& module : SplitModuleList(list)) {
    if (FormatFromModule(log_index, record, module.c_str(), trace)) return;
  }
}

std::string EventLogReader::ExpandModulePath(const char* module_path) {
  std::vector<char> expanded(kExpandedPathSize, '\0');
  messages_.ExpandEnvironment(module_path, expanded.data(), kExpandedPathSize);
  expanded.back() = '\0';
  return std::string(expanded.data());
}

bool EventLogReader::FormatFromModule(int log_index, const RawEventRecord& record,
                                      const char* module_path, TraceFile& trace) {
  const std::string expanded = ExpandModulePath(module_path);
  trace.Line("libLoad  <", expanded, ">");
  const platform::ModuleHandle module = messages_.LoadDataFile(expanded.c_str());
  if (module == platform::kNoModule) return false;

  char message[kMessageBufferSize] = {};
  trace.Line("stringCount  <", record.NumStrings(), ">");
  const auto& strings = record.InsertionStrings();
  MessageArguments arguments(strings.size());
  for (std::size_t k = 0; k < strings.size(); ++k) {
    const std::string_view text = strings[k];
    trace.Line("string ", k + 1, " <", text, ">");
    std::string_view argument = text;
    if (IsParameterInsertion(text)) {
      const std::uint32_t number = ParameterNumber(text);
      trace.Line("call to getParm with index <", log_index, "> and msgNum <", number, ">");
      const char* parameter = getParm(log_index, number);
      trace.Line("getParm <", parameter != nullptr ? parameter : "", ">");
      // A parameter that cannot be found leaves the insertion string as it is.
      if (parameter != nullptr) argument = parameter;
    }
    arguments.Set(k, argument);
    trace.Line("argp ", k + 1, " <", argument, ">");
  }

  const std::uint32_t id = record.EventId();
  const std::uint32_t first =
      messages_.Format(kFormatForTrace, module, id, message, sizeof(message), arguments.data());
  message[sizeof(message) - 1] = '\0';
  trace.Line("FormatMessage 1 returned <", first, ">");
  trace.Line("msgFormat 1  <", message, ">");
  const std::uint32_t second = messages_.Format(kFormatWithArguments, module, id, message,
                                                sizeof(message), arguments.data());
  message[sizeof(message) - 1] = '\0';
  trace.Line("FormatMessage 2 returned <", second, ">");
  trace.Line("msgFormat 2  <", message, ">");
  messages_.UnloadModule(module);
  if (second == 0) return false;
  CopyCut(description_, message);
  return true;
}

void EventLogReader::JoinInsertionStrings(const RawEventRecord& record, TraceFile& trace) {
  const auto& strings = record.InsertionStrings();
  for (std::size_t k = 0; k < strings.size(); ++k) {
    trace.Line("string ", k + 1, " <", strings[k], ">");
    AppendCut(description_, strings[k]);
  }
}

void EventLogReader::DecodeUser(const RawEventRecord& record, TraceFile& trace) {
  if (record.UserSidLength() == 0) {
    trace.Line("sid not specified");
    CopyCut(user_, "Not Specified");
    return;
  }
  trace.Line("Looking up SID");
  char name[kAccountBufferSize] = {};
  char domain[kAccountBufferSize] = {};
  std::uint32_t name_size = sizeof(name);
  std::uint32_t domain_size = sizeof(domain);
  if (record.UserSid() == nullptr ||
      !messages_.LookupAccount(record.UserSid(), name, &name_size, domain, &domain_size)) {
    trace.Line("sid is unknown");
    CopyCut(user_, "Unknown");
    return;
  }
  name[sizeof(name) - 1] = '\0';
  trace.Line("found sid for ", name);
  CopyCut(user_, name);
}

const char* EventLogReader::getParm(int log_index, std::uint32_t message_number) {
  std::string list;
  bool have_list = false;
  try {
    EventSourceKey key(registry_, kLogNames[log_index], decoding_source_);
    list = key.GetParameterMessageFile();
    have_list = true;
  } catch (const config::RegistryReadError&) {
  }
  TraceFile trace = TraceFile::OpenIf(TracingOn(true));
  trace.Line("GP:msgmodlist  <", list, ">");
  if (!have_list) return nullptr;

  const char* result = nullptr;
  for (const std::string& module_path : SplitModuleList(list)) {
    const std::string expanded = ExpandModulePath(module_path.c_str());
    trace.Line("GP:libload  <", expanded, ">");
    // A module that fails to load still reaches the system's own table.
    const platform::ModuleHandle module = messages_.LoadDataFile(expanded.c_str());

    char text[kMessageBufferSize] = {};
    // A parameter text is not meant to have inserts; should it have some,
    // they stay as they are instead of being read from nowhere.
    const std::uint32_t length =
        messages_.Format(kFormatWithArguments, module, message_number, text, sizeof(text),
                         MessageArguments::Markers().data());
    text[sizeof(text) - 1] = '\0';
    trace.Line("GP:formatmessage returned <", length, ">");
    trace.Line("GP:formatmessage  <", text, ">");
    if (length > 0) {
      auto slot = std::find(slot_used_.begin(), slot_used_.end(), false);
      if (slot == slot_used_.end()) {
        trace.Line("GP:localParmList exceeded  <", kParameterSlots, ">");
      } else {
        const auto index = static_cast<std::size_t>(slot - slot_used_.begin());
        parameter_slots_[index].assign(text, std::min<std::size_t>(length, sizeof(text) - 1));
        slot_used_[index] = true;
        result = parameter_slots_[index].c_str();
      }
    }
    if (module != platform::kNoModule) messages_.UnloadModule(module);
    if (result != nullptr) break;
  }
  return result;
}

}  // namespace kivo::eventlog
