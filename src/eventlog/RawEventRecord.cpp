#include "eventlog/RawEventRecord.h"

#include <cstring>

namespace kivo::eventlog {

namespace {
constexpr std::uint32_t kSidFixedSize = 8;  // revision, count, 6-byte authority
constexpr std::uint32_t kMaxSubAuthorities = 15;
}  // namespace

RawEventRecord::RawEventRecord(const unsigned char* bytes, std::uint32_t size)
    : bytes_(bytes), size_(size) {
  // The record's own Length may only shrink what was read, never extend it.
  const std::uint32_t length = Read32(0x00);
  if (length >= kFixedSize && length < size_) size_ = length;
  if (size_ < kFixedSize) return;

  std::uint32_t next = kFixedSize;
  source_ = TextAt(kFixedSize, &next);
  computer_ = TextAt(next, &next);

  std::uint32_t offset = Read32(0x24);
  for (std::uint32_t k = 0; k < NumStrings() && offset < size_; ++k) {
    strings_.push_back(TextAt(offset, &offset));
  }
  FindSid();
}

std::uint32_t RawEventRecord::Read32(std::uint32_t offset) const {
  if (offset > size_ || size_ - offset < 4) return 0;
  return static_cast<std::uint32_t>(bytes_[offset]) |
         static_cast<std::uint32_t>(bytes_[offset + 1]) << 8 |
         static_cast<std::uint32_t>(bytes_[offset + 2]) << 16 |
         static_cast<std::uint32_t>(bytes_[offset + 3]) << 24;
}

std::uint16_t RawEventRecord::Read16(std::uint32_t offset) const {
  if (offset > size_ || size_ - offset < 2) return 0;
  return static_cast<std::uint16_t>(bytes_[offset] | bytes_[offset + 1] << 8);
}

std::string_view RawEventRecord::TextAt(std::uint32_t offset, std::uint32_t* next) const {
  if (offset >= size_) {
    *next = size_;
    return std::string_view();
  }
  const char* start = reinterpret_cast<const char*>(bytes_ + offset);
  const void* zero = std::memchr(start, '\0', size_ - offset);
  const std::uint32_t length =
      zero != nullptr ? static_cast<std::uint32_t>(static_cast<const char*>(zero) - start)
                      : size_ - offset;
  *next = offset + length + (zero != nullptr ? 1 : 0);
  return std::string_view(start, length);
}

void RawEventRecord::FindSid() {
  const std::uint32_t length = UserSidLength();
  const std::uint32_t offset = Read32(0x2C);
  if (length < kSidFixedSize || offset > size_ || size_ - offset < length) return;
  // The account lookup trusts the SID's own sub-authority count, so it must
  // agree with the space the record gives it.
  const unsigned char* sid = bytes_ + offset;
  const std::uint32_t sub_authorities = sid[1];
  if (sid[0] != 1 || sub_authorities > kMaxSubAuthorities ||
      kSidFixedSize + 4 * sub_authorities > length) {
    return;
  }
  sid_ = sid;
}

}  // namespace kivo::eventlog
