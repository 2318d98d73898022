#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "snmp/OctetBuffer.h"
#include "snmp/SnmpValue.h"

namespace kivo::snmp {

// OBJECT IDENTIFIER (tag 06), built from dotted decimal text.
//
// Parsing never fails; every text gives a well-formed OID:
// - Components are read as DottedText reads them ("1.3.x.4" is 1.3.0.4,
//   "1..3" is 1.3, "-1" is 4294967295, 99999999999 is 4294967295).
// - Fewer than two components: the missing ones are 0 (the empty text is 0.0,
//   "1" is 1.0), so there is always a first sub-identifier.
// - The first sub-identifier 40 * first + second is computed without overflow
//   and saturates at 4294967295.
// - The encoding is limited to kMaxOidContent octets: sub-identifiers that
//   would not fit whole are dropped from the end, so a text of thousands of
//   components gives a long but well-formed prefix of itself.
//
// Final: every binding holds its name as an SnmpOid, and knowing the exact
// class lets the compiler destroy and encode names without a virtual call.
class SnmpOid final : public SnmpValue {
 public:
  static constexpr std::size_t kMaxOidContent = 4096;

  explicit SnmpOid(std::string_view dotted_text);

  // The text form of encoded content, as ToText gives it; nothing for
  // content that is not a whole OID (empty, a sub-identifier left open or
  // above 32 bits): the names in received messages.
  static std::optional<std::string> TextOfContent(const std::uint8_t* content, std::size_t size);

 protected:
  void EncodeContent(std::uint8_t*& cursor) const override;
  // "%u.%u." for the first sub-identifier split into two arcs, then the rest
  // with "." between them; a one-sub-identifier OID keeps the trailing dot.
  std::string BuildText() const override;

 private:
  friend class SnmpVarBind;
  // From content already encoded: the message's fixed header names, which
  // would otherwise be parsed from the same constant text for every trap.
  SnmpOid(const std::uint8_t* content, std::size_t size);
  // Takes over the content of an OID handed to a binding, which keeps its
  // name inside itself; without one, the OID of the empty text.
  explicit SnmpOid(std::unique_ptr<SnmpOid> other);
  // The sub-identifiers of content in order (the first one holds the first
  // two arcs). A trailing incomplete sub-identifier, which text construction
  // never produces, is ignored; so are the high bits of one above 32 bits.
  static std::vector<std::uint32_t> SubIdentifiers(const std::uint8_t* content, std::size_t size);
  static std::string Text(const std::vector<std::uint32_t>& values);

  OctetBuffer content_;
};

}  // namespace kivo::snmp
