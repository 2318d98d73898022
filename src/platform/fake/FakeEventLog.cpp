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

void FakeEventLog::Clear(const std::string& name) {
  Log& log = logs_[name];
  log.records.clear();
  log.oldest = 1;
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
  auto error = open_errors_.find(log_name);
  if (error != open_errors_.end()) return Fail(error->second), kNoEventLog;
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
  auto error = count_errors_.find(opened->name);
  if (error != count_errors_.end()) return Fail(error->second);
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
  ++reads_;
  *bytes_read = 0;
  *bytes_needed = 0;
  Handle* opened = nullptr;
  Log* log = Find(handle, &opened);
  if (log == nullptr) return Fail(kErrorInvalidHandle);
  auto& injected = read_errors_[opened->name];
  if (!injected.empty()) {
    const std::uint32_t error = injected.front();
    injected.pop_front();
    return Fail(error);
  }
  if (opened->generation != log->generation) return Fail(kErrorEventLogFileChanged);
  if (flags != (kEventLogSeekRead | kEventLogForwardsRead)) return Fail(kErrorInvalidParameter);
  if (log->records.empty()) return Fail(kErrorHandleEof);
  const auto count = static_cast<std::uint32_t>(log->records.size());
  if (number < log->oldest || number - log->oldest >= count) return Fail(kErrorInvalidParameter);
  for (std::uint32_t n = number; n - log->oldest < count; ++n) {
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
  last_error_ = 0;
  return true;
}

void FakeEventLog::Close(EventLogHandle log) {
  last_error_ = handles_.erase(log) == 1 ? 0 : kErrorInvalidHandle;
}

}  // namespace kivo::platform
