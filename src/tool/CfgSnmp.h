#pragma once

#include <cstdint>
#include <string>

#include "platform/Registry.h"
#include "tool/SaveResult.h"

namespace kivo::tool {

// What the SNMP page shows and edits: the trap destination in the root key.
struct SnmpSettings {
  static constexpr int kNoVersion = -1;  // no entry of the version list chosen
  int version_index = kNoVersion;        // 0 "SNMPv1", 1 "SNMPv2c"
  std::string destination;
  std::string port_text;
  std::string community;
};

// The SNMP page's load, validation and save, without its window.
class CfgSnmp {
 public:
  // Entries of the version list; the stored "version" is the entry's index.
  static constexpr const char* kVersionNames[] = {"SNMPv1", "SNMPv2c"};
  static constexpr int kVersionCount = 2;

  explicit CfgSnmp(platform::Registry& registry);

  // Reads "community", "destination", "port" and "version"; a value that
  // cannot be read is shown with its default. Writes nothing.
  void Load();
  // The message that refuses a save, or the empty text when the settings
  // may be saved.
  std::string ValidationMessage() const;
  // Writes "community", "destination", "port" and "version" when the
  // settings are valid; otherwise writes nothing and gives the refusal.
  SaveResult Save();

  SnmpSettings& settings() { return settings_; }
  const SnmpSettings& settings() const { return settings_; }

 private:
  platform::Registry& registry_;
  SnmpSettings settings_;
};

}  // namespace kivo::tool
