#pragma once

#include "platform/Pause.h"

namespace kivo::platform {

// A pause that returns at once and counts what it was asked to wait.
class FakePause : public Pause {
 public:
  void Wait(std::uint32_t milliseconds) override {
    ++waits_;
    total_milliseconds_ += milliseconds;
  }
  int waits() const { return waits_; }
  std::uint64_t total_milliseconds() const { return total_milliseconds_; }

 private:
  int waits_ = 0;
  std::uint64_t total_milliseconds_ = 0;
};

}  // namespace kivo::platform
