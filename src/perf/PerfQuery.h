#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/PerfData.h"

namespace kivo::perf {

// One counter added to a query, with the ring of its last raw samples.
class PerfCounterEntry {
 public:
  static constexpr int kRingSize = 20;

  explicit PerfCounterEntry(std::int32_t id) : id_(id) {}
  virtual ~PerfCounterEntry() = default;

  std::int32_t id() const { return id_; }
  std::int32_t last_value() const { return last_value_; }
  int sample_count() const { return sample_count_; }
  int ring_position() const { return ring_position_; }
  int oldest_position() const { return oldest_position_; }
  platform::PerfData::CounterHandle* counter_handle() { return &counter_; }
  platform::PerfData::CounterHandle counter() const { return counter_; }

  void set_last_value(std::int32_t value) { last_value_ = value; }
  // The slot that the next raw sample goes to.
  platform::PerfRawSample* next_sample() { return &ring_[ring_position_]; }
  // Accounts for the sample just stored in next_sample().
  void CommitSample();

 private:
  std::int32_t id_;
  std::int32_t last_value_ = 0;
  platform::PerfData::CounterHandle counter_ = 0;
  int ring_position_ = 0;
  int oldest_position_ = 0;
  int sample_count_ = 0;
  platform::PerfRawSample ring_[kRingSize];
};

// A query on the system's live performance counters. Counters get the ids
// 0, 1, 2, ... in the order they were added.
class PerfQuery {
 public:
  static constexpr std::int32_t kNoCounter = -999;
  static constexpr std::int32_t kNoFormattedValue = -998;
  static constexpr std::int32_t kNoRawValue = -997;

  explicit PerfQuery(platform::PerfData& pdh);
  virtual ~PerfQuery();
  PerfQuery(const PerfQuery&) = delete;
  PerfQuery& operator=(const PerfQuery&) = delete;

  // The counter's id, or -1 when it could not be added.
  std::int32_t AddCounter(const std::string& path);
  void Collect();
  // The counter's value in whole units (the low 32 bits), or one of the
  // negative codes above.
  std::int32_t GetCounterValue(std::int32_t id);
  void Close();

 private:
  platform::PerfData& pdh_;
  platform::PerfData::QueryHandle query_ = 0;
  bool open_ = false;
  std::vector<std::unique_ptr<PerfCounterEntry>> counters_;
  std::int32_t next_id_ = 0;
};

}  // namespace kivo::perf
