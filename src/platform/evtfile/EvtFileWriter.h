#pragma once

#include <cstdint>
#include <string>

#include "platform/evtfile/EventRecordCodec.h"

namespace kivo::platform::evt {

// Writes classic .evt files as the event log service keeps them: creates an
// empty log, appends records (numbering them, and once the file reaches its
// maximum size overwriting the oldest ones, wrapping round after the header),
// and clears a log. Each change writes the new record and EOF record first
// and the header last, so a reader sees either the old log or the new one.
class EvtFileWriter {
 public:
  // A log's default maximum size, as NT sets it: 512 KB.
  static constexpr std::uint32_t kDefaultMaxSize = 0x80000;

  explicit EvtFileWriter(std::string path) : path_(std::move(path)) {}

  // Creates (or replaces) an empty log whose first record gets
  // `first_number`.
  bool Create(std::uint32_t max_size, std::uint32_t retention = 0, std::uint32_t first_number = 1);
  // Appends a record; its number is the log's next one and is stored in
  // *number. With `leave_dirty`, the header keeps its old content and only
  // gets the dirty flag, as after a writer that was not shut down cleanly.
  bool Append(const EventRecordFields& fields, std::uint32_t* number, bool leave_dirty = false);
  // Empties the log, keeping its maximum size. Numbering starts again at 1
  // (as up to Windows Vista), or with `keep_numbering` goes on (as since
  // Vista SP1). Either way the file is made anew: readers that opened the
  // log before find it changed.
  bool Clear(bool keep_numbering = false);

  // Why the last operation failed.
  const std::string& error() const { return error_; }

 private:
  bool Fail(const std::string& why);

  std::string path_;
  std::string error_;
};

}  // namespace kivo::platform::evt
