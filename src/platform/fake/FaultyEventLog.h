#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <utility>

#include "platform/EventLog.h"

namespace kivo::platform {

// Any event log with the faults of the platform's event log service, which
// neither the in-memory logs nor the .evt files show by themselves: calls
// that fail (6 on the handles a restarted service leaves behind, RPC errors
// 1717 and 1722, 5, 1500) until mended; seek reads that fail with 87 for
// records that exist (large logs on some systems); and a change of the log
// between a count and an oldest-record call, as a wrap between the two.
class FaultyEventLog : public EventLog {
 public:
  enum class Call { kOpen, kCount, kOldest, kRead };

  explicit FaultyEventLog(EventLog& log) : log_(log) {}

  // From now on `call` fails with `error` for the log, until Mend.
  void Fail(const std::string& log_name, Call call, std::uint32_t error) {
    errors_[{log_name, call}] = error;
  }
  // From now on seek reads of the log fail with 87, until Mend.
  void FailSeekReads(const std::string& log_name) { seek_fails_.insert(log_name); }
  void Mend(const std::string& log_name);
  // Runs `change` once, right before the next oldest-record call of the log.
  void BeforeNextOldest(const std::string& log_name, std::function<void()> change) {
    before_oldest_[log_name] = std::move(change);
  }
  // How many times `call` was made for the log, failed or not.
  int calls(const std::string& log_name, Call call) const;

  EventLogHandle Open(const std::string& log_name) override;
  bool CountRecords(EventLogHandle log, std::uint32_t* count) override;
  bool OldestRecord(EventLogHandle log, std::uint32_t* oldest) override;
  bool Read(EventLogHandle log, std::uint32_t flags, std::uint32_t record_number, void* buffer,
            std::uint32_t size, std::uint32_t* bytes_read, std::uint32_t* bytes_needed) override;
  void Close(EventLogHandle log) override;
  std::uint32_t LastError() const override { return failed_ ? error_ : log_.LastError(); }

 private:
  // Counts the call; true (with the error set) when it is to fail.
  bool Fails(const std::string& log_name, Call call);

  EventLog& log_;
  std::map<EventLogHandle, std::string> names_;
  std::map<std::pair<std::string, Call>, std::uint32_t> errors_;
  std::map<std::pair<std::string, Call>, int> calls_;
  std::set<std::string> seek_fails_;
  std::map<std::string, std::function<void()>> before_oldest_;
  bool failed_ = false;
  std::uint32_t error_ = 0;
};

}  // namespace kivo::platform
