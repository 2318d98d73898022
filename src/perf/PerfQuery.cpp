#include "perf/PerfQuery.h"

#include <algorithm>
#include <new>

namespace kivo::perf {

void PerfCounterEntry::CommitSample() {
  sample_count_ = std::min(sample_count_ + 1, kRingSize);
  ring_position_ = (ring_position_ + 1) % kRingSize;
  if (sample_count_ == kRingSize) oldest_position_ = ring_position_;
}

PerfQuery::PerfQuery(platform::PerfData& pdh) : pdh_(pdh) {
  // Live data, user data 1. A query that fails to open shows later as
  // counters that cannot be added or read.
  open_ = pdh_.OpenQuery(1, &query_) == platform::kPdhSuccess;
}

PerfQuery::~PerfQuery() {
  Close();
}

std::int32_t PerfQuery::AddCounter(const std::string& path) {
  std::unique_ptr<PerfCounterEntry> entry(new (std::nothrow) PerfCounterEntry(next_id_));
  if (!entry) return -1;
  if (pdh_.AddCounter(query_, path, reinterpret_cast<std::uintptr_t>(entry.get()),
                      entry->counter_handle()) != platform::kPdhSuccess) {
    return -1;
  }
  ++next_id_;
  counters_.push_back(std::move(entry));
  return counters_.back()->id();
}

void PerfQuery::Collect() {
  pdh_.CollectQueryData(query_);
}

std::int32_t PerfQuery::GetCounterValue(std::int32_t id) {
  auto it =
      std::find_if(counters_.begin(), counters_.end(),
                   [id](const std::unique_ptr<PerfCounterEntry>& e) { return e->id() == id; });
  if (it == counters_.end()) return kNoCounter;
  PerfCounterEntry& entry = **it;

  platform::PerfLargeValue formatted;
  if (pdh_.GetLargeValue(entry.counter(), &formatted) != platform::kPdhSuccess ||
      formatted.status != 0) {
    return kNoFormattedValue;
  }
  entry.set_last_value(static_cast<std::int32_t>(static_cast<std::uint32_t>(formatted.value)));

  if (pdh_.GetRawValue(entry.counter(), entry.next_sample()) != platform::kPdhSuccess) {
    return kNoRawValue;
  }
  entry.CommitSample();
  return entry.last_value();
}

void PerfQuery::Close() {
  if (open_) pdh_.CloseQuery(query_);
  open_ = false;
  counters_.clear();
}

}  // namespace kivo::perf
