#include "platform/win32/Win32PerfData.h"

#include <pdh.h>
#include <windows.h>

namespace kivo::platform {

namespace {
PDH_HQUERY AsQuery(PerfData::QueryHandle handle) {
  return reinterpret_cast<PDH_HQUERY>(handle);
}
PDH_HCOUNTER AsCounter(PerfData::CounterHandle handle) {
  return reinterpret_cast<PDH_HCOUNTER>(handle);
}
}  // namespace

PdhStatus Win32PerfData::OpenQuery(std::uintptr_t user_data, QueryHandle* query) {
  PDH_HQUERY handle = nullptr;
  PDH_STATUS status = PdhOpenQueryA(nullptr, static_cast<DWORD_PTR>(user_data), &handle);
  *query = reinterpret_cast<QueryHandle>(handle);
  return static_cast<PdhStatus>(status);
}

PdhStatus Win32PerfData::AddCounter(QueryHandle query, const std::string& path,
                                    std::uintptr_t user_data, CounterHandle* counter) {
  PDH_HCOUNTER handle = nullptr;
  PDH_STATUS status =
      PdhAddCounterA(AsQuery(query), path.c_str(), static_cast<DWORD_PTR>(user_data), &handle);
  *counter = reinterpret_cast<CounterHandle>(handle);
  return static_cast<PdhStatus>(status);
}

PdhStatus Win32PerfData::CollectQueryData(QueryHandle query) {
  return static_cast<PdhStatus>(PdhCollectQueryData(AsQuery(query)));
}

PdhStatus Win32PerfData::GetLargeValue(CounterHandle counter, PerfLargeValue* value) {
  PDH_FMT_COUNTERVALUE formatted = {};
  PDH_STATUS status =
      PdhGetFormattedCounterValue(AsCounter(counter), PDH_FMT_LARGE, nullptr, &formatted);
  value->status = formatted.CStatus;
  value->value = formatted.largeValue;
  return static_cast<PdhStatus>(status);
}

PdhStatus Win32PerfData::GetRawValue(CounterHandle counter, PerfRawSample* sample) {
  PDH_RAW_COUNTER raw = {};
  PDH_STATUS status = PdhGetRawCounterValue(AsCounter(counter), nullptr, &raw);
  sample->status = raw.CStatus;
  sample->time_stamp = (static_cast<std::uint64_t>(raw.TimeStamp.dwHighDateTime) << 32) |
                       raw.TimeStamp.dwLowDateTime;
  sample->first_value = raw.FirstValue;
  sample->second_value = raw.SecondValue;
  sample->multi_count = raw.MultiCount;
  return static_cast<PdhStatus>(status);
}

PdhStatus Win32PerfData::CloseQuery(QueryHandle query) {
  return static_cast<PdhStatus>(PdhCloseQuery(AsQuery(query)));
}

}  // namespace kivo::platform
