#pragma once

#include <cstddef>
#include <memory>
#include <vector>

#include "snmp/SnmpVarBind.h"

namespace kivo::snmp {

// The variable-bindings SEQUENCE: owns its bindings, keeps them in order.
class SnmpVarBindList : public SnmpEncodable {
 public:
  // Room for the service's largest trap (two header and seven event
  // bindings) without growing.
  SnmpVarBindList() { bindings_.reserve(kTypicalCount); }

  // Adds a binding after the last one. A null binding is ignored.
  void Append(std::unique_ptr<SnmpVarBind> binding);
  // Puts a binding at a 0-based position (at most Count()), before the
  // binding that was there: the SNMPv2 trap header goes in front of the
  // event bindings. A null binding is ignored.
  void Insert(std::size_t position, std::unique_ptr<SnmpVarBind> binding);

  std::size_t Count() const { return bindings_.size(); }
  // Binding at a 0-based index; null when there is none.
  const SnmpVarBind* At(std::size_t index) const;

  void Encode(std::uint8_t*& cursor) const override { Encode(cursor, ContentSize()); }
  // Encodes with a content size the caller has already computed.
  void Encode(std::uint8_t*& cursor, std::size_t content_size) const;
  std::size_t EncodedSize() const { return BerElementSize(ContentSize()); }
  std::size_t ContentSize() const;

 private:
  static constexpr std::size_t kTypicalCount = 9;
  std::vector<std::unique_ptr<SnmpVarBind>> bindings_;
};

}  // namespace kivo::snmp
