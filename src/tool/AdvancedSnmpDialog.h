#pragma once

#include <string>

#include "platform/Registry.h"
#include "tool/SaveResult.h"

namespace kivo::tool {

// The trap's sender OID, which event fields travel as bindings, whether line
// breaks are stripped from them, and the service's pace and resume switches.
// A flag is true for a ticked box.
struct AdvancedSnmpSettings {
  bool event_category = true;       // "iec"
  bool event_computer_name = true;  // "iecn"
  bool event_description = true;    // "ied"
  bool event_number = true;         // "ien"
  bool event_source = true;         // "ies"
  bool event_type = true;           // "iet"
  bool event_user = true;           // "ieu"
  std::string sender_oid;           // "senderOID"
  bool strip_crlf = false;          // "stripCRLF"
  bool burst = false;               // "burst": forward events as fast as they arrive
  bool resume = false;              // "resume": forward what was written while stopped
};

// The "Advanced SNMP Config" dialog's load and save, without its window.
class AdvancedSnmpDialog {
 public:
  explicit AdvancedSnmpDialog(platform::Registry& registry);

  // Reads the eleven values; one that cannot be read is shown with its
  // default. Writes nothing: only OK writes, and then what is shown.
  void Load();
  // The empty text, or why the settings cannot be stored.
  std::string ValidationMessage() const;
  // Writes all eleven values (the OK button) when the settings are valid.
  SaveResult Save();

  AdvancedSnmpSettings& settings() { return settings_; }

 private:
  platform::Registry& registry_;
  AdvancedSnmpSettings settings_;
};

}  // namespace kivo::tool
