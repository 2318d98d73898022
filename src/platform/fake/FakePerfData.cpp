#include "platform/fake/FakePerfData.h"

#include <algorithm>
#include <cctype>

namespace kivo::platform {

namespace {
bool SameCounterPath(const std::string& a, const std::string& b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) ==
                  std::tolower(static_cast<unsigned char>(y));
         });
}
}  // namespace

PdhStatus FakePerfData::OpenQuery(std::uintptr_t, QueryHandle* query) {
  *query = 0;
  if (open_status_ != kPdhSuccess) return open_status_;
  *query = next_handle_++;
  queries_[*query] = true;
  return kPdhSuccess;
}

PdhStatus FakePerfData::AddCounter(QueryHandle query, const std::string& path, std::uintptr_t,
                                   CounterHandle* counter) {
  *counter = 0;
  if (queries_.count(query) == 0) return kPdhInvalidHandle;
  if (!SameCounterPath(path, kUptimePath)) return kPdhCounterNotFound;
  *counter = next_handle_++;
  counters_[*counter].query = query;
  return kPdhSuccess;
}

PdhStatus FakePerfData::CollectQueryData(QueryHandle query) {
  if (queries_.count(query) == 0) return kPdhInvalidHandle;
  bool any = false;
  for (auto& entry : counters_) {
    if (entry.second.query != query) continue;
    entry.second.sampled_seconds = uptime_seconds_;
    any = true;
  }
  return any ? kPdhSuccess : kPdhNoData;
}

PdhStatus FakePerfData::GetLargeValue(CounterHandle counter, PerfLargeValue* value) {
  auto it = counters_.find(counter);
  if (it == counters_.end()) return kPdhInvalidHandle;
  if (formatted_status_ != kPdhSuccess) return formatted_status_;
  value->status = formatted_cstatus_;
  value->value = it->second.sampled_seconds;
  return kPdhSuccess;
}

PdhStatus FakePerfData::GetRawValue(CounterHandle counter, PerfRawSample* sample) {
  auto it = counters_.find(counter);
  if (it == counters_.end()) return kPdhInvalidHandle;
  if (raw_status_ != kPdhSuccess) return raw_status_;
  *sample = PerfRawSample();
  sample->first_value = it->second.sampled_seconds;
  sample->multi_count = 1;
  return kPdhSuccess;
}

PdhStatus FakePerfData::CloseQuery(QueryHandle query) {
  if (queries_.erase(query) == 0) return kPdhInvalidHandle;
  for (auto it = counters_.begin(); it != counters_.end();) {
    it = it->second.query == query ? counters_.erase(it) : std::next(it);
  }
  return kPdhSuccess;
}

}  // namespace kivo::platform
