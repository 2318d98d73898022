#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "snmp/Ber.h"
#include "snmp/SnmpEncodable.h"

namespace kivo::snmp {

// Tags of the value types (the identifier octet written before the length).
constexpr std::uint8_t kTagInteger = 0x02;
constexpr std::uint8_t kTagOctetString = 0x04;
constexpr std::uint8_t kTagNull = 0x05;
constexpr std::uint8_t kTagObjectIdentifier = 0x06;
constexpr std::uint8_t kTagSequence = 0x30;
constexpr std::uint8_t kTagIpAddress = 0x40;
constexpr std::uint8_t kTagTimeTicks = 0x43;

// A value's content length is a 16-bit quantity: no value carries more
// than this many content octets (longer texts are cut, see SnmpString).
constexpr std::size_t kMaxContentLength = 65535;

// Names of the value types, as the message's accessors report them.
extern const char kTypeNameInteger[];    // "Integer"
extern const char kTypeNameTimeTicks[];  // "TimeTick"
extern const char kTypeNameString[];     // "String"
extern const char kTypeNameOid[];        // "OID"
extern const char kTypeNameIpAddress[];  // "IpAddress"

// Base of every SNMP value: a primitive TLV with a tag, a content length and
// a text form that is built once and cached.
class SnmpValue : public SnmpEncodable {
 public:
  // Tag, length octets and content.
  void Encode(std::uint8_t*& cursor) const override;

  // 1 + length octets + content octets: exactly what Encode writes.
  std::size_t EncodedSize() const { return BerElementSize(content_length_); }

  // The encoding in a buffer of its own.
  virtual std::vector<std::uint8_t> EncodeToNewBuffer() const;

  // The value as text; built on the first call and returned unchanged later.
  virtual const std::string& ToText() const;

  std::uint16_t ContentLength() const { return content_length_; }
  std::uint8_t Tag() const { return tag_; }
  const char* TypeName() const { return type_name_; }

 protected:
  SnmpValue(std::uint8_t tag, const char* type_name) : tag_(tag), type_name_(type_name) {}

  // Content octets only; the base writes tag and length around them.
  virtual void EncodeContent(std::uint8_t*& cursor) const = 0;
  // Text form, called once by ToText.
  virtual std::string BuildText() const = 0;

  // Drops the cached text form (for values that can change).
  void ForgetText() { cached_text_.reset(); }

  void SetContentLength(std::size_t length) {
    content_length_ = static_cast<std::uint16_t>(length);
  }

 private:
  std::uint16_t content_length_ = 0;
  std::uint8_t tag_;
  const char* type_name_;
  mutable std::unique_ptr<std::string> cached_text_;
};

}  // namespace kivo::snmp
