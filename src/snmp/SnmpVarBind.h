#pragma once

#include <memory>

#include "snmp/SnmpOid.h"
#include "snmp/SnmpValue.h"

namespace kivo::snmp {

// One variable binding: SEQUENCE { name, value }. Owns both. A binding
// without a value encodes the value as NULL (05 00). Final, so that the list
// destroys its bindings without a virtual call.
//
// The name is kept inside the binding: the OID handed over gives up its
// content and is destroyed at once, so a trap holds one heap object fewer
// per binding.
class SnmpVarBind final : public SnmpEncodable {
 public:
  SnmpVarBind(std::unique_ptr<SnmpOid> name, std::unique_ptr<SnmpValue> value);

  void Encode(std::uint8_t*& cursor) const override;
  // Inline: sizes are computed for every binding on every encoding.
  std::size_t EncodedSize() const { return BerElementSize(ContentSize()); }

  const SnmpOid& Name() const { return name_; }
  // Null for a binding without a value.
  const SnmpValue* Value() const { return value_.get(); }

 private:
  friend class SnmpMessage;
  // A binding whose name is already encoded: the SNMPv2 trap header's, for
  // the message alone, which vouches for the encoding.
  SnmpVarBind(const std::uint8_t* name_content, std::size_t name_size,
              std::unique_ptr<SnmpValue> value);

  static constexpr std::size_t kNullSize = 2;  // 05 00

  std::size_t ContentSize() const {
    return name_.EncodedSize() + (value_ ? value_->EncodedSize() : kNullSize);
  }

  SnmpOid name_;
  std::unique_ptr<SnmpValue> value_;
};

}  // namespace kivo::snmp
