#pragma once

#include <cstddef>
#include <memory>
#include <vector>

#include "snmp/SnmpVarBind.h"

namespace kivo::snmp {

// The variable-bindings SEQUENCE: owns its bindings, keeps them in order.
class SnmpVarBindList : public SnmpEncodable {
 public:
  SnmpVarBindList() = default;

  // Adds a binding after the last one. A null binding is ignored.
  void Append(std::unique_ptr<SnmpVarBind> binding);
  // Puts bindings before the current first one, keeping their own order
  // (the SNMPv2 trap header goes in front of the event bindings).
  void Prepend(std::vector<std::unique_ptr<SnmpVarBind>> bindings);

  std::size_t Count() const { return bindings_.size(); }
  // Binding at a 0-based index; null when there is none.
  const SnmpVarBind* At(std::size_t index) const;

  void Encode(std::uint8_t*& cursor) const override;
  std::size_t EncodedSize() const { return BerElementSize(ContentSize()); }
  std::size_t ContentSize() const;

 private:
  std::vector<std::unique_ptr<SnmpVarBind>> bindings_;
};

}  // namespace kivo::snmp
