#pragma once

#include <algorithm>
#include <cstdint>
#include <string>

#include "forwarding/Destination.h"

namespace kivo::forwarding {

// Waits between tries of something that failed: 1 s, then 2, 4, ... and at
// most 60 s.
class RetryBackoff {
 public:
  static constexpr std::uint32_t kFirstMilliseconds = 1000;
  static constexpr std::uint32_t kMostMilliseconds = 60000;

  // The wait before the next try; each call doubles the one after.
  std::uint32_t Next() {
    const std::uint32_t wait = next_;
    next_ = std::min(next_ * 2, kMostMilliseconds);
    return wait;
  }
  void Reset() { next_ = kFirstMilliseconds; }

 private:
  std::uint32_t next_ = kFirstMilliseconds;
};

// An event whose send failed at some of its destinations while "resume" is
// on. Its log's position is not kept and no other event is fetched (events
// behind it wait); it is sent again to the destinations it failed at, and
// only to those, after a wait that grows with each try, until it has gone
// out everywhere or the service stops.
class HeldEvent {
 public:
  HeldEvent(int log, std::uint32_t record, DestinationSet owed)
      : log_(log), record_(record), owed_(std::move(owed)), wait_(backoff_.Next()) {}

  int log() const { return log_; }
  std::uint32_t record() const { return record_; }
  const DestinationSet& owed() const { return owed_; }

  // How long to wait now, at most `slice` ms at a time (so that a stop is
  // noticed); 0 when the next try is due.
  std::uint32_t WaitNow(std::uint32_t slice) const { return std::min(slice, wait_ - waited_); }
  void Waited(std::uint32_t milliseconds) { waited_ += milliseconds; }
  std::uint32_t SecondsToNextTry() const { return (wait_ - waited_ + 999) / 1000; }

  // Takes in the outcomes of a try. True when the event is owed nowhere
  // any more: a destination that no longer wants it (the filters or the
  // store changed) is owed nothing either.
  bool Tried(const SendOutcomes& outcomes) {
    owed_ = FailedDestinations(outcomes);
    waited_ = 0;
    wait_ = backoff_.Next();
    return owed_.empty();
  }

 private:
  int log_;
  std::uint32_t record_;
  DestinationSet owed_;
  RetryBackoff backoff_;
  std::uint32_t wait_;
  std::uint32_t waited_ = 0;
};

}  // namespace kivo::forwarding
