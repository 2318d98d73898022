#include "platform/evtfile/EvtFileEventLog.h"

#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/CodePage.h"
#include "platform/evtfile/EventRecordCodec.h"

namespace kivo::platform {

using evt::EvtFile;
using evt::LogState;

namespace {
constexpr std::uint32_t kValueBufferSize = 2048;
constexpr std::uint32_t kExpandedPathSize = 8196;
// Serial numbers: `number` is at or after `from` when it is less than
// 2^31 ahead of it.
bool AtOrAfter(std::uint32_t number, std::uint32_t from) {
  return number - from < 0x80000000u;
}
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

std::uint32_t EvtFileEventLog::AnsiCodePage() {
  std::unique_ptr<RegistryKey> key;
  char value[16] = {};
  std::uint32_t size = sizeof(value) - 1;
  RegType type = RegType::kNone;
  if (registry_.Open(kCodePageKey, &key) != kRegSuccess ||
      key->QueryValue("ACP", &type, value, &size) != kRegSuccess || type != RegType::kText) {
    return kWindows1252;
  }
  const unsigned long page = std::strtoul(value, nullptr, 10);
  return page > 0 && page <= 0xFFFF ? static_cast<std::uint32_t>(page) : kWindows1252;
}

EventLogHandle EvtFileEventLog::Open(const std::string& log_name) {
  OpenLog log;
  log.path = LogFilePath(log_name);
  if (log.path.empty()) return Fail(kErrorFileNotFound), kNoEventLog;
  EvtFile file(log.path, false);
  if (!file.IsOpen()) return Fail(kErrorFileNotFound), kNoEventLog;
  LogState state;
  if (file.LoadState(&state)) Saw(log, file, state);
  log.code_page = AnsiCodePage();
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

void EvtFileEventLog::Saw(OpenLog& log, EvtFile& file, const LogState& state) {
  const bool same = log.seen && state.current == log.seen_state.current &&
                    state.start == log.seen_state.start && state.end == log.seen_state.end;
  log.seen = true;
  log.seen_state = state;
  if (same) return;
  // The newest record ends where the EOF record begins, with its length.
  log.newest.clear();
  unsigned char tail[4];
  const std::uint32_t ring = EvtFile::RingSize(state);
  if (state.empty() ||
      !file.ReadRing(state, EvtFile::Advance(state, state.end, ring - 4), 4, tail) ||
      evt::Load32(tail) > ring) {
    return;
  }
  log.newest_offset = EvtFile::Advance(state, state.end, ring - evt::Load32(tail));
  if (!file.ReadRecord(state, log.newest_offset, &log.newest)) log.newest.clear();
}

bool EvtFileEventLog::Continues(const OpenLog& log, EvtFile& file, const LogState& now) {
  if (!log.seen) return true;
  const LogState& was = log.seen_state;
  if (!AtOrAfter(now.current, was.current)) return false;  // the numbers fell
  if (!log.newest.empty()) {
    std::vector<unsigned char> newest;
    if (now.Holds(was.current - 1)) {
      if (!file.ReadRecord(now, log.newest_offset, &newest) || newest != log.newest) return false;
    } else if ((now.flags & evt::kFlagWrapped) == 0) {
      return false;
    }
  }
  if (now.current == was.current) return now.start == was.start && now.end == was.end;
  // The first record written since lies where the EOF record was, unless
  // it was overwritten since, which only a log that wrapped does.
  if (!now.Holds(was.current)) return (now.flags & evt::kFlagWrapped) != 0;
  evt::RecordHead head;
  return file.ReadHead(now, was.end, &head) && head.number == was.current;
}

bool EvtFileEventLog::Load(OpenLog& log, EvtFile& file, LogState* state) {
  if (!file.IsOpen()) return Fail(kErrorFileNotFound);
  if (!file.LoadState(state)) return Fail(kErrorEventLogFileCorrupt);
  log.changed = log.changed || !Continues(log, file, *state);
  if (log.changed) return Fail(kErrorEventLogFileChanged);
  Saw(log, file, *state);
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
  if (log.cached && state.Holds(log.cached_number) && AtOrAfter(number, log.cached_number) &&
      file.ReadHead(state, log.cached_offset, &head) && head.number == log.cached_number) {
    at_number = log.cached_number;
    at = log.cached_offset;
  }
  for (; at_number != number; ++at_number) {
    if (!file.ReadHead(state, at, &head) || head.number != at_number) return false;
    at = EvtFile::Advance(state, at, head.length);
  }
  log.cached = true;
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
  const bool in_order = flags == (kEventLogSequentialRead | kEventLogForwardsRead);
  if (!in_order && flags != (kEventLogSeekRead | kEventLogForwardsRead)) {
    return Fail(kErrorInvalidParameter);
  }
  EvtFile file(log->path, false);
  LogState state;
  if (!Load(*log, file, &state)) return false;
  if (state.empty()) return Fail(kErrorHandleEof);
  if (in_order) {
    number = log->placed ? log->in_order_next : state.oldest;
    if (!state.Holds(number)) {
      if (AtOrAfter(number, state.oldest)) return Fail(kErrorHandleEof);
      number = state.oldest;  // overwritten since
    }
  } else if (!state.Holds(number)) {
    return Fail(kErrorInvalidParameter);
  }

  std::uint32_t offset = 0;
  if (!FindRecord(*log, file, state, number, &offset)) return Fail(kErrorEventLogFileCorrupt);
  // As many whole records as fit, from the one asked for on.
  auto* out = static_cast<unsigned char*>(buffer);
  std::vector<unsigned char> raw;
  evt::EventRecordFields fields;
  std::uint32_t n = number;
  for (; state.Holds(n); ++n) {
    if (!file.ReadRecord(state, offset, &raw) ||
        !evt::DecodeRecord(raw.data(), static_cast<std::uint32_t>(raw.size()),
                           evt::RecordEncoding::kUtf16, &fields) ||
        fields.record_number != n) {
      if (n == number) return Fail(kErrorEventLogFileCorrupt);
      break;
    }
    const std::vector<unsigned char> ansi =
        evt::EncodeRecord(fields, evt::RecordEncoding::kAnsi, log->code_page);
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
  log->placed = true;
  log->in_order_next = n;
  last_error_ = 0;
  return true;
}

}  // namespace kivo::platform
