#include "eventlog/LogOutage.h"

#include <algorithm>

#include "config/TraceFile.h"

namespace kivo::eventlog {

void LogOutage::Failed(std::uint32_t error) {
  if (!failing_) {
    failing_ = true;
    wait_ = kFirstWaitMilliseconds;
    const std::string why = platform::SystemErrorText(services_.messages, error);
    config::TraceFile(config::TraceFile::kFileName)
        .Line("the ", log_name_, " event log cannot be read: ", why);
    if (services_.report) services_.report(true, {log_name_, why});
  } else {
    wait_ = std::min(wait_ * 2, kLongestWaitMilliseconds);
  }
  next_try_ = services_.clock() + wait_;
}

void LogOutage::Worked() {
  if (!failing_) return;
  failing_ = false;
  config::TraceFile(config::TraceFile::kFileName)
      .Line("the ", log_name_, " event log is read again");
  if (services_.report) services_.report(false, {log_name_});
}

}  // namespace kivo::eventlog
