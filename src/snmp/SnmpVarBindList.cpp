#include "snmp/SnmpVarBindList.h"

namespace kivo::snmp {

void SnmpVarBindList::Append(std::unique_ptr<SnmpVarBind> binding) {
  if (binding) bindings_.push_back(std::move(binding));
}

void SnmpVarBindList::Insert(std::size_t position, std::unique_ptr<SnmpVarBind> binding) {
  if (!binding) return;
  if (position > bindings_.size()) position = bindings_.size();
  bindings_.insert(bindings_.begin() + static_cast<std::ptrdiff_t>(position), std::move(binding));
}

const SnmpVarBind* SnmpVarBindList::At(std::size_t index) const {
  return index < bindings_.size() ? bindings_[index].get() : nullptr;
}

std::size_t SnmpVarBindList::ContentSize() const {
  std::size_t size = 0;
  for (const auto& binding : bindings_) size += binding->EncodedSize();
  return size;
}

void SnmpVarBindList::Encode(std::uint8_t*& cursor, std::size_t content_size) const {
  *cursor++ = kTagSequence;
  BerWriteLength(cursor, content_size);
  for (const auto& binding : bindings_) binding->Encode(cursor);
}

}  // namespace kivo::snmp
