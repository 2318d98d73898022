#pragma once

#include <map>

#include "platform/PerfData.h"

namespace kivo::platform {

// Performance counters of a pretend machine: it knows the one counter
// "\System\System Up Time", whose value is whatever the test sets, and can be
// told to fail at each step.
class FakePerfData : public PerfData {
 public:
  static constexpr char kUptimePath[] = "\\System\\System Up Time";

  void set_uptime_seconds(std::int64_t seconds) { uptime_seconds_ = seconds; }
  void set_open_status(PdhStatus status) { open_status_ = status; }
  void set_formatted_status(PdhStatus status) { formatted_status_ = status; }
  void set_formatted_cstatus(std::uint32_t cstatus) { formatted_cstatus_ = cstatus; }
  void set_raw_status(PdhStatus status) { raw_status_ = status; }
  int open_queries() const { return static_cast<int>(queries_.size()); }

  PdhStatus OpenQuery(std::uintptr_t user_data, QueryHandle* query) override;
  PdhStatus AddCounter(QueryHandle query, const std::string& path, std::uintptr_t user_data,
                       CounterHandle* counter) override;
  PdhStatus CollectQueryData(QueryHandle query) override;
  PdhStatus GetLargeValue(CounterHandle counter, PerfLargeValue* value) override;
  PdhStatus GetRawValue(CounterHandle counter, PerfRawSample* sample) override;
  PdhStatus CloseQuery(QueryHandle query) override;

 private:
  struct Counter {
    QueryHandle query = 0;
    std::int64_t sampled_seconds = 0;
  };

  std::int64_t uptime_seconds_ = 0;
  PdhStatus open_status_ = kPdhSuccess;
  PdhStatus formatted_status_ = kPdhSuccess;
  std::uint32_t formatted_cstatus_ = 0;
  PdhStatus raw_status_ = kPdhSuccess;
  std::uintptr_t next_handle_ = 1;
  std::map<QueryHandle, bool> queries_;
  std::map<CounterHandle, Counter> counters_;
};

}  // namespace kivo::platform
