#include "platform/fake/FakeEventLog.h"

#include <cstring>

namespace kivo::platform {

void FakeEventLog::AddLog(const std::string& name, std::uint32_t first_number) {
  logs_[name].oldest = first_number;
}

std::uint32_t FakeEventLog::Append(const std::string& name, std::vector<unsigned char> record) {
  Log& log = logs_[name];
  const auto number = log.oldest + static_cast<std::uint32_t>(log.records.size());
  if (record.size() >= 12) {
    for (int i = 0; i < 4; ++i) record[8 + i] = static_cast<unsigned char>(number >> (8 * i));
  }
  log.records.push_back(std::move(record));
  return number;
}

void FakeEventLog::DropOldest(const std::string& name, std::uint32_t count) {
  Log& log = logs_[name];
  for (; count > 0 && !log.records.empty(); --count) {
    log.records.pop_front();
    ++log.oldest;
  }
}

void FakeEventLog::Clear(const std::string& name, bool keep_numbering) {
  Log& log = logs_[name];
  log.oldest = keep_numbering ? log.oldest + static_cast<std::uint32_t>(log.records.size()) : 1;
  log.records.clear();
  ++log.generation;
}

bool FakeEventLog::Fail(std::uint32_t error) {
  last_error_ = error;
  return false;
}

FakeEventLog::Log* FakeEventLog::Find(EventLogHandle handle, Handle** opened) {
  auto found = handles_.find(handle);
  if (found == handles_.end()) return nullptr;
  *opened = &found->second;
  return &logs_[found->second.name];
}

EventLogHandle FakeEventLog::Open(const std::string& log_name) {
  if (logs_.count(log_name) == 0) return Fail(kErrorFileNotFound), kNoEventLog;
  const EventLogHandle handle = next_handle_++;
  handles_[handle] = Handle{log_name, logs_[log_name].generation};
  last_error_ = 0;
  return handle;
}

bool FakeEventLog::CountRecords(EventLogHandle handle, std::uint32_t* count) {
  Handle* opened = nullptr;
  Log* log = Find(handle, &opened);
  if (log == nullptr) return Fail(kErrorInvalidHandle);
  *count = static_cast<std::uint32_t>(log->records.size());
  last_error_ = 0;
  return true;
}

bool FakeEventLog::OldestRecord(EventLogHandle handle, std::uint32_t* oldest) {
  Handle* opened = nullptr;
  Log* log = Find(handle, &opened);
  if (log == nullptr) return Fail(kErrorInvalidHandle);
  *oldest = log->records.empty() ? 0 : log->oldest;
  last_error_ = 0;
  return true;
}

bool FakeEventLog::Read(EventLogHandle handle, std::uint32_t flags, std::uint32_t number,
                        void* buffer, std::uint32_t size, std::uint32_t* bytes_read,
                        std::uint32_t* bytes_needed) {
  *bytes_read = 0;
  *bytes_needed = 0;
  Handle* opened = nullptr;
  Log* log = Find(handle, &opened);
  if (log == nullptr) return Fail(kErrorInvalidHandle);
  if (opened->generation != log->generation) return Fail(kErrorEventLogFileChanged);
  const auto count = static_cast<std::uint32_t>(log->records.size());
  if (flags == (kEventLogSequentialRead | kEventLogForwardsRead)) {
    // From the oldest record on a new handle; past records overwritten since
    // to the oldest one left.
    number = opened->placed ? opened->in_order_next : log->oldest;
    const std::uint32_t ahead = number - log->oldest;
    if (ahead >= count && ahead < 0x80000000u) return Fail(kErrorHandleEof);
    if (ahead >= count) number = log->oldest;
  } else if (flags != (kEventLogSeekRead | kEventLogForwardsRead)) {
    return Fail(kErrorInvalidParameter);
  }
  if (log->records.empty()) return Fail(kErrorHandleEof);
  if (number - log->oldest >= count) return Fail(kErrorInvalidParameter);
  std::uint32_t n = number;
  for (; n - log->oldest < count; ++n) {
    const auto& record = log->records[n - log->oldest];
    const auto length = static_cast<std::uint32_t>(record.size());
    if (length > size - *bytes_read) {
      if (n != number) break;
      *bytes_needed = length;
      return Fail(kErrorInsufficientBuffer);
    }
    if (length > 0) {
      std::memcpy(static_cast<unsigned char*>(buffer) + *bytes_read, record.data(), length);
    }
    *bytes_read += length;
  }
  opened->placed = true;
  opened->in_order_next = n;
  last_error_ = 0;
  return true;
}

void FakeEventLog::Close(EventLogHandle log) {
  last_error_ = handles_.erase(log) == 1 ? 0 : kErrorInvalidHandle;
}

}  // namespace kivo::platform
