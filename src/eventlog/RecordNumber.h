#pragma once

#include <cstdint>

namespace kivo::eventlog {

// The number of a record in an event log. The platform numbers records
// with 32 bits, so after 0xFFFFFFFF comes 0, a record like any other. So
// numbers are serial numbers: one follows another when it is less than
// 2^31 ahead of it, modulo 2^32, and a count of records is a difference.
class RecordNumber {
 public:
  constexpr RecordNumber() = default;
  constexpr explicit RecordNumber(std::uint32_t value) : value_(value) {}

  constexpr std::uint32_t value() const { return value_; }

  constexpr RecordNumber operator+(std::uint32_t count) const {
    return RecordNumber(value_ + count);
  }
  constexpr RecordNumber operator-(std::uint32_t count) const {
    return RecordNumber(value_ - count);
  }
  RecordNumber& operator++() {
    ++value_;
    return *this;
  }
  // How many records lie from `first` up to (not including) this one.
  constexpr std::uint32_t Since(RecordNumber first) const { return value_ - first.value_; }
  // Whether this is one of the `count` records from `first` on.
  constexpr bool Within(RecordNumber first, std::uint32_t count) const {
    return Since(first) < count;
  }
  constexpr bool Before(RecordNumber other) const { return other.Since(*this) - 1 < 0x7FFFFFFFu; }
  constexpr bool After(RecordNumber other) const { return other.Before(*this); }

  friend constexpr bool operator==(RecordNumber a, RecordNumber b) { return a.value_ == b.value_; }
  friend constexpr bool operator!=(RecordNumber a, RecordNumber b) { return a.value_ != b.value_; }

 private:
  std::uint32_t value_ = 0;
};

}  // namespace kivo::eventlog
