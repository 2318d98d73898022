#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/Messages.h"
#include "platform/SteadyClock.h"

namespace kivo::eventlog {

// Told once of each outage of a log, with its inserts: the log's name and
// the system's text of the error (true), and once of its end, with the
// log's name (false).
using OutageReport = std::function<void(bool failing, const std::vector<std::string>& inserts)>;

// What the cursors share from the reader around them.
struct CursorServices {
  platform::Messages& messages;  // the system's texts of errors
  platform::SteadyClock clock;
  OutageReport report;  // may be empty
};

// The outages of one log. A log whose calls fail is closed and opened again
// 1 s later, then after 2, 4, ... up to 60 s between tries for as long as
// they fail; never given up. Each outage, and its end, is reported once:
// a line in the trace file whatever "logging" says, and to the report.
class LogOutage {
 public:
  static constexpr std::int64_t kFirstWaitMilliseconds = 1000;
  static constexpr std::int64_t kLongestWaitMilliseconds = 60000;

  LogOutage(const char* log_name, const CursorServices& services)
      : log_name_(log_name), services_(services) {}

  // A call of the log failed with `error`: reports the outage when it
  // begins, and puts the next try off.
  void Failed(std::uint32_t error);
  // A read answered: reports the end of the outage, if there is one.
  void Worked();
  // Whether the time for the next try has come.
  bool Due() const { return services_.clock() >= next_try_; }

 private:
  const char* const log_name_;
  const CursorServices& services_;
  bool failing_ = false;
  std::int64_t wait_ = 0;
  std::int64_t next_try_ = 0;
};

}  // namespace kivo::eventlog
