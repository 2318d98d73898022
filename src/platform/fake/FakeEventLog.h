#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <string>
#include <vector>

#include "platform/EventLog.h"

namespace kivo::platform {

// Scripted event logs in memory. Records are stored as the raw bytes that
// ReadEventLogA returns (the tests build them); the fake numbers them and
// answers reads with the platform's results and error codes. Failures of
// open, count and read can be injected.
class FakeEventLog : public EventLog {
 public:
  // Makes a log exist (empty; record numbers start at `first_number`).
  void AddLog(const std::string& name, std::uint32_t first_number = 1);
  // Appends a record; its RecordNumber field is set to the log's next number,
  // which is returned.
  std::uint32_t Append(const std::string& name, std::vector<unsigned char> record);
  // Forgets the oldest records, as a log that wrapped round.
  void DropOldest(const std::string& name, std::uint32_t count);
  // Empties the log; handles opened before fail to read with 1503.
  void Clear(const std::string& name);

  void FailOpen(const std::string& name, std::uint32_t error) { open_errors_[name] = error; }
  void FailCount(const std::string& name, std::uint32_t error) { count_errors_[name] = error; }
  // The next reads of the log fail with these errors, one each.
  void FailNextRead(const std::string& name, std::uint32_t error) {
    read_errors_[name].push_back(error);
  }

  int open_handles() const { return static_cast<int>(handles_.size()); }
  int reads() const { return reads_; }

  EventLogHandle Open(const std::string& log_name) override;
  bool CountRecords(EventLogHandle log, std::uint32_t* count) override;
  bool OldestRecord(EventLogHandle log, std::uint32_t* oldest) override;
  bool Read(EventLogHandle log, std::uint32_t flags, std::uint32_t record_number, void* buffer,
            std::uint32_t size, std::uint32_t* bytes_read, std::uint32_t* bytes_needed) override;
  void Close(EventLogHandle log) override;
  std::uint32_t LastError() const override { return last_error_; }

 private:
  struct Log {
    std::uint32_t oldest = 1;  // number of records.front()
    std::deque<std::vector<unsigned char>> records;
    int generation = 0;
  };
  struct Handle {
    std::string name;
    int generation = 0;
  };

  bool Fail(std::uint32_t error);
  Log* Find(EventLogHandle handle, Handle** opened);

  std::map<std::string, Log> logs_;
  std::map<EventLogHandle, Handle> handles_;
  std::map<std::string, std::uint32_t> open_errors_;
  std::map<std::string, std::uint32_t> count_errors_;
  std::map<std::string, std::deque<std::uint32_t>> read_errors_;
  EventLogHandle next_handle_ = 0x100;
  std::uint32_t last_error_ = 0;
  int reads_ = 0;
};

}  // namespace kivo::platform
