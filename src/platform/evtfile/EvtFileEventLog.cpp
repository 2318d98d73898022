#include "platform/evtfile/EvtFileEventLog.h"

#include <cstring>
#include <vector>

#include "platform/evtfile/EventRecordCodec.h"

namespace kivo::platform {

using evt::EvtFile;
using evt::LogState;

namespace {
constexpr std::uint32_t kValueBufferSize = 2048;
constexpr std::uint32_t kExpandedPathSize = 8196;
}  // namespace

EvtFileEventLog::EvtFileEventLog(Registry& registry, Messages& messages)
    : registry_(registry), messages_(messages) {}

bool EvtFileEventLog::Fail(std::uint32_t error) {
  last_error_ = error;
  return false;
}

std::string EvtFileEventLog::LogFilePath(const std::string& log_name) {
  std::unique_ptr<RegistryKey> key;
  if (registry_.Open(std::string(kEventLogKey) + "\\" + log_name, &key) != kRegSuccess) return {};
  std::vector<char> value(kValueBufferSize, '\0');
  std::uint32_t size = kValueBufferSize - 1;
  RegType type = RegType::kNone;
  if (key->QueryValue("File", &type, value.data(), &size) != kRegSuccess ||
      (type != RegType::kText && type != RegType::kExpandText)) {
    return {};
  }
  std::vector<char> expanded(kExpandedPathSize, '\0');
  const std::uint32_t needed =
      messages_.ExpandEnvironment(value.data(), expanded.data(), kExpandedPathSize);
  if (needed == 0 || needed > kExpandedPathSize) return {};
  expanded.back() = '\0';
  return std::string(expanded.data());
}

EventLogHandle EvtFileEventLog::Open(const std::string& log_name) {
  OpenLog log;
  log.path = LogFilePath(log_name);
  if (log.path.empty()) return Fail(kErrorFileNotFound), kNoEventLog;
  EvtFile file(log.path, false);
  if (!file.IsOpen()) return Fail(kErrorFileNotFound), kNoEventLog;
  LogState state;
  if (file.LoadState(&state)) log.seen_current = state.current;
  const EventLogHandle handle = next_handle_++;
  logs_[handle] = log;
  last_error_ = 0;
  return handle;
}

void EvtFileEventLog::Close(EventLogHandle log) {
  last_error_ = logs_.erase(log) == 1 ? 0 : kErrorInvalidHandle;
}

EvtFileEventLog::OpenLog* EvtFileEventLog::Find(EventLogHandle log) {
  auto found = logs_.find(log);
  return found == logs_.end() ? nullptr : &found->second;
}

bool EvtFileEventLog::Load(OpenLog& log, EvtFile& file, LogState* state) {
  if (!file.IsOpen()) return Fail(kErrorFileNotFound);
  if (!file.LoadState(state)) return Fail(kErrorEventLogFileCorrupt);
  if (state->current < log.seen_current) return Fail(kErrorEventLogFileChanged);
  log.seen_current = state->current;
  return true;
}

bool EvtFileEventLog::LoadFor(EventLogHandle handle, LogState* state) {
  OpenLog* log = Find(handle);
  if (log == nullptr) return Fail(kErrorInvalidHandle);
  EvtFile file(log->path, false);
  if (!Load(*log, file, state)) return false;
  last_error_ = 0;
  return true;
}

bool EvtFileEventLog::CountRecords(EventLogHandle handle, std::uint32_t* count) {
  LogState state;
  if (!LoadFor(handle, &state)) return false;
  *count = state.count();
  return true;
}

bool EvtFileEventLog::OldestRecord(EventLogHandle handle, std::uint32_t* oldest) {
  LogState state;
  if (!LoadFor(handle, &state)) return false;
  *oldest = state.oldest;
  return true;
}

bool EvtFileEventLog::FindRecord(OpenLog& log, EvtFile& file, const LogState& state,
                                 std::uint32_t number, std::uint32_t* offset) {
  std::uint32_t at_number = state.oldest;
  std::uint32_t at = state.start;
  evt::RecordHead head;
  // Records never move: a remembered record still at its place (not yet
  // overwritten) is a shorter start for the walk.
  if (log.cached_number >= state.oldest && log.cached_number <= number &&
      file.ReadHead(state, log.cached_offset, &head) && head.number == log.cached_number) {
    at_number = log.cached_number;
    at = log.cached_offset;
  }
  for (; at_number < number; ++at_number) {
    if (!file.ReadHead(state, at, &head) || head.number != at_number) return false;
    at = EvtFile::Advance(state, at, head.length);
  }
  log.cached_number = number;
  log.cached_offset = at;
  *offset = at;
  return true;
}

bool EvtFileEventLog::Read(EventLogHandle handle, std::uint32_t flags, std::uint32_t number,
                           void* buffer, std::uint32_t size, std::uint32_t* bytes_read,
                           std::uint32_t* bytes_needed) {
  *bytes_read = 0;
  *bytes_needed = 0;
  OpenLog* log = Find(handle);
  if (log == nullptr) return Fail(kErrorInvalidHandle);
  if (flags != (kEventLogSeekRead | kEventLogForwardsRead)) return Fail(kErrorInvalidParameter);
  EvtFile file(log->path, false);
  LogState state;
  if (!Load(*log, file, &state)) return false;
  if (state.empty()) return Fail(kErrorHandleEof);
  if (number < state.oldest || number >= state.current) return Fail(kErrorInvalidParameter);

  std::uint32_t offset = 0;
  if (!FindRecord(*log, file, state, number, &offset)) return Fail(kErrorEventLogFileCorrupt);
  // As many whole records as fit, from the one asked for on.
  auto* out = static_cast<unsigned char*>(buffer);
  std::vector<unsigned char> raw;
  evt::EventRecordFields fields;
  for (std::uint32_t n = number; n < state.current; ++n) {
    if (!file.ReadRecord(state, offset, &raw) ||
        !evt::DecodeRecord(raw.data(), static_cast<std::uint32_t>(raw.size()),
                           evt::RecordEncoding::kUtf16, &fields) ||
        fields.record_number != n) {
      if (n == number) return Fail(kErrorEventLogFileCorrupt);
      break;
    }
    const std::vector<unsigned char> ansi = evt::EncodeRecord(fields, evt::RecordEncoding::kAnsi);
    const auto length = static_cast<std::uint32_t>(ansi.size());
    if (length > size - *bytes_read) {
      if (n == number) {
        *bytes_needed = length;
        return Fail(kErrorInsufficientBuffer);
      }
      break;
    }
    std::memcpy(out + *bytes_read, ansi.data(), length);
    *bytes_read += length;
    offset = EvtFile::Advance(state, offset, static_cast<std::uint32_t>(raw.size()));
  }
  last_error_ = 0;
  return true;
}

}  // namespace kivo::platform
