#pragma once

#include <cstdint>
#include <string>

namespace kivo::platform {

// Status codes of the performance data helper (PDH_STATUS); 0 is success.
using PdhStatus = std::uint32_t;
constexpr PdhStatus kPdhSuccess = 0;
constexpr PdhStatus kPdhInvalidHandle = 0xC0000BBCu;    // PDH_INVALID_HANDLE
constexpr PdhStatus kPdhCounterNotFound = 0xC0000BB9u;  // PDH_CSTATUS_NO_COUNTER
constexpr PdhStatus kPdhInvalidData = 0xC0000BC6u;      // PDH_INVALID_DATA
constexpr PdhStatus kPdhNoData = 0x800007D5u;           // PDH_NO_DATA

// One raw sample of a counter (PDH_RAW_COUNTER).
struct PerfRawSample {
  std::uint32_t status = 0;
  std::uint64_t time_stamp = 0;
  std::int64_t first_value = 0;
  std::int64_t second_value = 0;
  std::uint32_t multi_count = 0;
};

// A counter value formatted as a 64-bit integer (PDH_FMT_COUNTERVALUE with
// PDH_FMT_LARGE): status is the counter's CStatus.
struct PerfLargeValue {
  std::uint32_t status = 0;
  std::int64_t value = 0;
};

// The system's live performance counters (pdh.dll). Handles are opaque; 0 is
// no handle.
class PerfData {
 public:
  using QueryHandle = std::uintptr_t;
  using CounterHandle = std::uintptr_t;

  virtual ~PerfData() = default;

  // PdhOpenQueryA(NULL, user_data, &query): a query on live data.
  virtual PdhStatus OpenQuery(std::uintptr_t user_data, QueryHandle* query) = 0;
  // PdhAddCounterA(query, path, user_data, &counter).
  virtual PdhStatus AddCounter(QueryHandle query, const std::string& path, std::uintptr_t user_data,
                               CounterHandle* counter) = 0;
  // PdhCollectQueryData(query): takes a new sample of every counter.
  virtual PdhStatus CollectQueryData(QueryHandle query) = 0;
  // PdhGetFormattedCounterValue(counter, PDH_FMT_LARGE, NULL, value).
  virtual PdhStatus GetLargeValue(CounterHandle counter, PerfLargeValue* value) = 0;
  // PdhGetRawCounterValue(counter, NULL, sample).
  virtual PdhStatus GetRawValue(CounterHandle counter, PerfRawSample* sample) = 0;
  // PdhCloseQuery(query): closes the query and its counters.
  virtual PdhStatus CloseQuery(QueryHandle query) = 0;
};

}  // namespace kivo::platform
