#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>

namespace kivo::snmp {

// The owned content octets of a value. Short contents (most OIDs and the
// short event texts) are kept inside the object, longer ones in one heap
// block of exactly their size: a trap is built per event, and this spares
// it one allocation per value.
class OctetBuffer {
 public:
  OctetBuffer() = default;
  OctetBuffer(const void* octets, std::size_t size) { Assign(octets, size); }
  OctetBuffer(const OctetBuffer&) = delete;
  OctetBuffer& operator=(const OctetBuffer&) = delete;

  void Assign(const void* octets, std::size_t size) {
    heap_.reset();
    std::uint8_t* target = inline_;
    if (size > sizeof(inline_)) {
      heap_.reset(new std::uint8_t[size]);
      target = heap_.get();
    }
    if (size > 0) std::memcpy(target, octets, size);
    size_ = size;
  }

  const std::uint8_t* data() const { return heap_ ? heap_.get() : inline_; }
  std::size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }
  const std::uint8_t* begin() const { return data(); }
  const std::uint8_t* end() const { return data() + size_; }
  std::uint8_t operator[](std::size_t index) const { return data()[index]; }
  std::uint8_t back() const { return data()[size_ - 1]; }

  bool operator==(const OctetBuffer& other) const {
    return size_ == other.size_ && (size_ == 0 || std::memcmp(data(), other.data(), size_) == 0);
  }
  bool operator!=(const OctetBuffer& other) const { return !(*this == other); }

 private:
  std::unique_ptr<std::uint8_t[]> heap_;
  std::size_t size_ = 0;
  std::uint8_t inline_[32];
};

}  // namespace kivo::snmp
