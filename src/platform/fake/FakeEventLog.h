#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <string>
#include <vector>

#include "platform/EventLog.h"

namespace kivo::platform {

// Scripted event logs in memory. Records are stored as the raw bytes that
// ReadEventLogA returns (the tests build them); the fake numbers them (after
// 0xFFFFFFFF comes 0) and answers reads, seek and in order, with the
// platform's results and error codes. Failures of the calls themselves are
// FaultyEventLog's, over this log or any other.
class FakeEventLog : public EventLog {
 public:
  // Makes a log exist (empty; record numbers start at `first_number`).
  void AddLog(const std::string& name, std::uint32_t first_number = 1);
  // Appends a record; its RecordNumber field is set to the log's next number,
  // which is returned.
  std::uint32_t Append(const std::string& name, std::vector<unsigned char> record);
  // Forgets the oldest records, as a log that wrapped round.
  void DropOldest(const std::string& name, std::uint32_t count);
  // Empties the log; handles opened before fail to read with 1503. Numbering
  // starts again at 1, or with `keep_numbering` goes on (as Windows does
  // since Vista SP1).
  void Clear(const std::string& name, bool keep_numbering = false);

  int open_handles() const { return static_cast<int>(handles_.size()); }

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
    // Where a read in order goes on: after the record read last.
    bool placed = false;
    std::uint32_t in_order_next = 0;
  };

  bool Fail(std::uint32_t error);
  Log* Find(EventLogHandle handle, Handle** opened);

  std::map<std::string, Log> logs_;
  std::map<EventLogHandle, Handle> handles_;
  EventLogHandle next_handle_ = 0x100;
  std::uint32_t last_error_ = 0;
};

}  // namespace kivo::platform
