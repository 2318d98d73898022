#pragma once

#include <cstddef>
#include <cstdint>

namespace kivo::snmp {

// Octets of a received message, not owned: they stay in the receive buffer.
struct OctetView {
  const std::uint8_t* data = nullptr;
  std::size_t size = 0;
};

// Reads BER elements one after the other from outside data. Every length is
// checked against what is left, so no read goes past the end; a reader that
// met anything malformed stays failed and reads nothing more. Only what
// SNMP uses is taken: one-octet tags and definite lengths of up to 4 octets.
class BerReader {
 public:
  BerReader(const std::uint8_t* data, std::size_t size) : data_(data), left_(size) {}
  explicit BerReader(OctetView view) : BerReader(view.data, view.size) {}

  // The next element, whatever its tag.
  bool ReadAny(std::uint8_t* tag, OctetView* content);
  // The next element when it has this tag.
  bool Read(std::uint8_t tag, OctetView* content);
  // An INTEGER of 1 to 8 content octets.
  bool ReadInteger(std::int64_t* value);
  // An INTEGER within [low, high].
  bool ReadInteger(std::int64_t low, std::int64_t high, std::int64_t* value);

  bool ok() const { return ok_; }
  // True when everything was read and nothing failed.
  bool AtEnd() const { return ok_ && left_ == 0; }

 private:
  bool Fail() { return ok_ = false; }

  const std::uint8_t* data_;
  std::size_t left_;
  bool ok_ = true;
};

}  // namespace kivo::snmp
