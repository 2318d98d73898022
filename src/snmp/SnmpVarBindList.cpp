#include "snmp/SnmpVarBindList.h"

#include <iterator>

namespace kivo::snmp {

void SnmpVarBindList::Append(std::unique_ptr<SnmpVarBind> binding) {
  if (binding) bindings_.push_back(std::move(binding));
}

void SnmpVarBindList::Prepend(std::vector<std::unique_ptr<SnmpVarBind>> bindings) {
  std::vector<std::unique_ptr<SnmpVarBind>> front;
  for (auto& binding : bindings) {
    if (binding) front.push_back(std::move(binding));
  }
  bindings_.insert(bindings_.begin(), std::make_move_iterator(front.begin()),
                   std::make_move_iterator(front.end()));
}

const SnmpVarBind* SnmpVarBindList::At(std::size_t index) const {
  return index < bindings_.size() ? bindings_[index].get() : nullptr;
}

std::size_t SnmpVarBindList::ContentSize() const {
  std::size_t size = 0;
  for (const auto& binding : bindings_) size += binding->EncodedSize();
  return size;
}

void SnmpVarBindList::Encode(std::uint8_t*& cursor) const {
  *cursor++ = kTagSequence;
  BerWriteLength(cursor, ContentSize());
  for (const auto& binding : bindings_) binding->Encode(cursor);
}

}  // namespace kivo::snmp
