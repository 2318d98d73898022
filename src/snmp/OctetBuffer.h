#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>

namespace kivo::snmp {

// Owned octets: up to kInlineSize of them inside the object, more in one
// heap block of exactly their size. A trap is built and encoded per event,
// and this spares it one allocation for every value and for the encoding
// whose octets fit inline.
template <std::size_t kInlineSize>
class BasicOctetBuffer {
 public:
  BasicOctetBuffer() = default;
  BasicOctetBuffer(const void* octets, std::size_t size) { Assign(octets, size); }
  BasicOctetBuffer(const BasicOctetBuffer&) = delete;
  BasicOctetBuffer& operator=(const BasicOctetBuffer&) = delete;

  // Makes room for exactly size octets and returns where they go; their
  // values are left to the caller to write.
  std::uint8_t* Allocate(std::size_t size) {
    heap_.reset();
    size_ = size;
    if (size <= kInlineSize) return inline_;
    heap_.reset(new std::uint8_t[size]);
    return heap_.get();
  }

  // Takes the octets of another buffer, which is left empty: a heap block
  // changes hands, inline octets are copied (the whole inline room, a copy
  // of fixed size that needs no library call).
  void TakeFrom(BasicOctetBuffer& other) {
    heap_ = std::move(other.heap_);
    size_ = other.size_;
    if (!heap_) std::memcpy(inline_, other.inline_, sizeof(inline_));
    other.size_ = 0;
  }

  void Assign(const void* octets, std::size_t size) {
    std::uint8_t* target = Allocate(size);
    if (size > 0) std::memcpy(target, octets, size);
  }

  std::uint8_t* data() { return heap_ ? heap_.get() : inline_; }
  const std::uint8_t* data() const { return heap_ ? heap_.get() : inline_; }
  std::size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }
  const std::uint8_t* begin() const { return data(); }
  const std::uint8_t* end() const { return data() + size_; }
  std::uint8_t operator[](std::size_t index) const { return data()[index]; }
  std::uint8_t back() const { return data()[size_ - 1]; }

  bool operator==(const BasicOctetBuffer& other) const {
    return size_ == other.size_ && (size_ == 0 || std::memcmp(data(), other.data(), size_) == 0);
  }
  bool operator!=(const BasicOctetBuffer& other) const { return !(*this == other); }

 private:
  std::unique_ptr<std::uint8_t[]> heap_;
  std::size_t size_ = 0;
  std::uint8_t inline_[kInlineSize];
};

// The content of a value: most OIDs and the short event texts fit inline.
using OctetBuffer = BasicOctetBuffer<32>;

// One encoded message: the payload of one Ethernet frame fits inline, so a
// usual trap is encoded on the stack.
using MessageBuffer = BasicOctetBuffer<1472>;

}  // namespace kivo::snmp
