#include "eventlog/RecordDecoder.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "config/RegistryConfig.h"
#include "eventlog/EventSourceKey.h"
#include "eventlog/LogTable.h"
#include "eventlog/MessageArguments.h"
#include "eventlog/RawEventRecord.h"
#include "eventlog/Tracing.h"

namespace kivo::eventlog {

using config::TraceFile;

namespace {

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

// A module loaded as a data file for one lookup, given back whatever happens
// while it is in use: burst mode's cache counts the modules it lends, and
// frees or loads again none that is still lent.
class LoadedModule {
 public:
  LoadedModule(platform::Messages& messages, const std::string& path)
      : messages_(messages), handle_(messages.LoadDataFile(path.c_str())) {}
  ~LoadedModule() {
    if (handle_ != platform::kNoModule) messages_.UnloadModule(handle_);
  }
  LoadedModule(const LoadedModule&) = delete;
  LoadedModule& operator=(const LoadedModule&) = delete;

  platform::ModuleHandle handle() const { return handle_; }

 private:
  platform::Messages& messages_;
  const platform::ModuleHandle handle_;
};

}  // namespace

RecordDecoder::RecordDecoder(platform::Messages& messages, platform::Registry& registry)
    : messages_(messages), registry_(registry) {
  ClearParameterSlots();
}

void RecordDecoder::ClearParameterSlots() {
  for (int i = 0; i < kParameterSlots; ++i) {
    parameter_slots_[i].clear();
    parameter_slots_[i].shrink_to_fit();
    slot_used_[i] = false;
  }
}

void RecordDecoder::DecodeRecord(int log_index, const unsigned char* bytes, std::uint32_t size,
                                 DecodedEvent& event) {
  std::memset(event.source, 0, sizeof(event.source));
  std::memset(event.computer, 0, sizeof(event.computer));
  std::memset(event.user, 0, sizeof(event.user));
  event.description.clear();
  TraceFile trace = TraceFile::OpenIf(TracingOn(registry_, false));
  const RawEventRecord record(bytes, size);

  event.event_id = static_cast<std::int32_t>(record.EventId() & 0xFFFF);
  event.event_type = TypeCode(record.EventType());
  event.category = record.EventCategory();
  event.log_name = kLogNames[log_index];
  event.record_number = record.RecordNumber();
  event.time_generated = record.TimeGenerated();
  trace.Line("eventID  <", event.event_id, ">");
  trace.Line("raw eventID  <", record.EventId(), ">");
  trace.Line("eventType  <", event.event_type, ">");
  trace.Line("eventCategory <", event.category, ">");

  CopyCut(event.source, record.SourceName());
  trace.Line("eventSource  <", event.source, ">");

  decoding_source_ = event.source;
  // A decode that threw may have left parameter texts behind.
  ClearParameterSlots();
  DecodeDescription(log_index, record, event, trace);
  ClearParameterSlots();

  CopyCut(event.computer, record.ComputerName());
  trace.Line("computerName  <", event.computer, ">");
  DecodeUser(record, event, trace);
}

void RecordDecoder::DecodeDescription(int log_index, const RawEventRecord& record,
                                      DecodedEvent& event, TraceFile& trace) {
  std::string list;
  try {
    EventSourceKey key(registry_, kLogNames[log_index], event.source);
    list = key.GetEventMessageFile();
  } catch (const config::RegistryReadError&) {
    trace.Line("No event message file for ", event.source);
    JoinInsertionStrings(record, event, trace);
    return;
  }
  trace.Line("ModuleList  <", list, ">");
  for (const std::string& module : SplitModuleList(list)) {
    if (FormatFromModule(log_index, record, module.c_str(), event, trace)) break;
  }
  // Without a message text the insertion strings still carry what happened.
  if (event.description.empty()) JoinInsertionStrings(record, event, trace);
}

std::string RecordDecoder::ExpandModulePath(const char* module_path) {
  std::vector<char> expanded(kExpandedPathSize, '\0');
  messages_.ExpandEnvironment(module_path, expanded.data(), kExpandedPathSize);
  expanded.back() = '\0';
  return std::string(expanded.data());
}

bool RecordDecoder::FormatFromModule(int log_index, const RawEventRecord& record,
                                     const char* module_path, DecodedEvent& event,
                                     TraceFile& trace) {
  const std::string expanded = ExpandModulePath(module_path);
  trace.Line("libLoad  <", expanded, ">");
  const LoadedModule loaded(messages_, expanded);
  const platform::ModuleHandle module = loaded.handle();
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
  if (second == 0) return false;
  event.description = message;
  return true;
}

void RecordDecoder::JoinInsertionStrings(const RawEventRecord& record, DecodedEvent& event,
                                         TraceFile& trace) {
  const auto& strings = record.InsertionStrings();
  for (std::size_t k = 0; k < strings.size(); ++k) {
    trace.Line("string ", k + 1, " <", strings[k], ">");
    event.description += strings[k];
  }
}

void RecordDecoder::DecodeUser(const RawEventRecord& record, DecodedEvent& event,
                               TraceFile& trace) {
  if (record.UserSidLength() == 0) {
    trace.Line("sid not specified");
    CopyCut(event.user, "Not Specified");
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
    CopyCut(event.user, "Unknown");
    return;
  }
  name[sizeof(name) - 1] = '\0';
  trace.Line("found sid for ", name);
  CopyCut(event.user, name);
}

const char* RecordDecoder::getParm(int log_index, std::uint32_t message_number) {
  std::string list;
  bool have_list = false;
  try {
    EventSourceKey key(registry_, kLogNames[log_index], decoding_source_);
    list = key.GetParameterMessageFile();
    have_list = true;
  } catch (const config::RegistryReadError&) {
  }
  TraceFile trace = TraceFile::OpenIf(TracingOn(registry_, true));
  trace.Line("GP:msgmodlist  <", list, ">");
  if (!have_list) return nullptr;

  const char* result = nullptr;
  for (const std::string& module_path : SplitModuleList(list)) {
    const std::string expanded = ExpandModulePath(module_path.c_str());
    trace.Line("GP:libload  <", expanded, ">");
    // A module that fails to load still reaches the system's own table.
    const LoadedModule loaded(messages_, expanded);
    const platform::ModuleHandle module = loaded.handle();

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
    if (result != nullptr) break;
  }
  return result;
}

}  // namespace kivo::eventlog
