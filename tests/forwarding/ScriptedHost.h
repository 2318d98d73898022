#pragma once

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "forwarding/LoopHost.h"

namespace kivo::testing {

// A service that runs one scripted step at each test of its running flag
// (that is, before each round of the loop) and stops when the script ends.
class ScriptedHost : public forwarding::LoopHost {
 public:
  explicit ScriptedHost(std::vector<std::function<void()>> rounds) : rounds_(std::move(rounds)) {}

  bool IsRunning() const override {
    ++running_checks_;
    if (next_ >= rounds_.size()) return false;
    rounds_[next_++]();
    return true;
  }
  void CountIdleRound() override { ++idle_rounds_; }
  perf::UptimeCounter& KeepUptimeCounter(std::unique_ptr<perf::UptimeCounter> counter) override {
    counter_ = std::move(counter);
    return *counter_;
  }
  std::string ServiceKey() const override { return "SYSTEM\\CurrentControlSet\\Services\\kivo"; }
  void ReportServiceEvent(std::uint16_t type, std::uint32_t id,
                          const std::vector<std::string>& inserts) override {
    std::string line = std::to_string(id);
    for (const std::string& insert : inserts) line += "|" + insert;
    reported_.push_back(line);
  }
  // Each message reported: its id, then "|" and each insert.
  const std::vector<std::string>& reported() const { return reported_; }

  int idle_rounds() const { return idle_rounds_; }
  int running_checks() const { return running_checks_; }
  bool keeps_counter() const { return counter_ != nullptr; }

 private:
  std::vector<std::function<void()>> rounds_;
  mutable std::size_t next_ = 0;
  mutable int running_checks_ = 0;
  int idle_rounds_ = 0;
  std::unique_ptr<perf::UptimeCounter> counter_;
  std::vector<std::string> reported_;
};

}  // namespace kivo::testing
