#include "snmp/DottedText.h"

namespace kivo::snmp {
std::uint32_t DottedText::ParseComponent(std::string_view component) {
  // A component never holds a dot; cut at one so that the reader sees a
  // single component.
  DottedText reader(component.substr(0, component.find('.')));
  std::uint32_t value = 0;
  return reader.Next(&value) ? value : 0;
}

}  // namespace kivo::snmp
