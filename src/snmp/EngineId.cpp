#include "snmp/EngineId.h"

#include <algorithm>

namespace kivo::snmp {
namespace {

// The enterprise number 5309 with the top bit set (RFC 3411's new form),
// then format 5: the rest is octets of the engine's own choosing.
constexpr std::uint8_t kPrefix[] = {0x80, 0x00, 0x14, 0x9D, 0x05};
constexpr std::size_t kRandomOctets = 8;

}  // namespace

std::optional<EngineId> EngineId::FromOctets(const std::uint8_t* octets, std::size_t size) {
  if (size < kMinSize || size > kMaxSize) return std::nullopt;
  EngineId id;
  std::copy(octets, octets + size, id.octets_.begin());
  id.size_ = size;
  return id;
}

std::optional<EngineId> EngineId::Make(platform::Crypto& crypto) {
  EngineId id;
  std::copy(std::begin(kPrefix), std::end(kPrefix), id.octets_.begin());
  if (!crypto.RandomBytes(id.octets_.data() + sizeof(kPrefix), kRandomOctets)) return std::nullopt;
  id.size_ = sizeof(kPrefix) + kRandomOctets;
  return id;
}

std::string EngineId::ToHex() const {
  static const char kDigits[] = "0123456789abcdef";
  std::string text;
  for (std::size_t i = 0; i < size_; ++i) {
    text += kDigits[octets_[i] >> 4];
    text += kDigits[octets_[i] & 0x0F];
  }
  return text;
}

bool EngineId::operator==(const EngineId& other) const {
  return size_ == other.size_ && std::equal(data(), data() + size_, other.data());
}

}  // namespace kivo::snmp
