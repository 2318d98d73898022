#pragma once

#include "platform/PerfData.h"

namespace kivo::platform {

// Live performance counters through pdh.dll.
class Win32PerfData : public PerfData {
 public:
  PdhStatus OpenQuery(std::uintptr_t user_data, QueryHandle* query) override;
  PdhStatus AddCounter(QueryHandle query, const std::string& path, std::uintptr_t user_data,
                       CounterHandle* counter) override;
  PdhStatus CollectQueryData(QueryHandle query) override;
  PdhStatus GetLargeValue(CounterHandle counter, PerfLargeValue* value) override;
  PdhStatus GetRawValue(CounterHandle counter, PerfRawSample* sample) override;
  PdhStatus CloseQuery(QueryHandle query) override;
};

}  // namespace kivo::platform
