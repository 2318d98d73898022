#include "platform/fake/FaultyEventLog.h"

namespace kivo::platform {

void FaultyEventLog::Mend(const std::string& log_name) {
  for (Call call : {Call::kOpen, Call::kCount, Call::kOldest, Call::kRead}) {
    errors_.erase({log_name, call});
  }
  seek_fails_.erase(log_name);
}

int FaultyEventLog::calls(const std::string& log_name, Call call) const {
  const auto found = calls_.find({log_name, call});
  return found == calls_.end() ? 0 : found->second;
}

bool FaultyEventLog::Fails(const std::string& log_name, Call call) {
  ++calls_[{log_name, call}];
  const auto found = errors_.find({log_name, call});
  failed_ = found != errors_.end();
  if (failed_) error_ = found->second;
  return failed_;
}

EventLogHandle FaultyEventLog::Open(const std::string& log_name) {
  if (Fails(log_name, Call::kOpen)) return kNoEventLog;
  const EventLogHandle handle = log_.Open(log_name);
  if (handle != kNoEventLog) names_[handle] = log_name;
  return handle;
}

bool FaultyEventLog::CountRecords(EventLogHandle log, std::uint32_t* count) {
  return !Fails(names_[log], Call::kCount) && log_.CountRecords(log, count);
}

bool FaultyEventLog::OldestRecord(EventLogHandle log, std::uint32_t* oldest) {
  const std::string& name = names_[log];
  if (auto change = before_oldest_.extract(name)) change.mapped()();
  return !Fails(name, Call::kOldest) && log_.OldestRecord(log, oldest);
}

bool FaultyEventLog::Read(EventLogHandle log, std::uint32_t flags, std::uint32_t record_number,
                          void* buffer, std::uint32_t size, std::uint32_t* bytes_read,
                          std::uint32_t* bytes_needed) {
  const std::string& name = names_[log];
  *bytes_read = 0;
  *bytes_needed = 0;
  if (Fails(name, Call::kRead)) return false;
  if ((flags & kEventLogSeekRead) != 0 && seek_fails_.count(name) != 0) {
    failed_ = true;
    error_ = kErrorInvalidParameter;
    return false;
  }
  return log_.Read(log, flags, record_number, buffer, size, bytes_read, bytes_needed);
}

void FaultyEventLog::Close(EventLogHandle log) {
  names_.erase(log);
  failed_ = false;
  log_.Close(log);
}

}  // namespace kivo::platform
