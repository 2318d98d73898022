#pragma once

#include <cstdint>
#include <string>

#include "platform/Registry.h"

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

  // Reads "community", "destination", "port" and "version" in this order;
  // the first read that fails ends the load and leaves the rest as it was.
  void Load();
  // The message that refuses a save, or the empty text when the settings
  // may be saved.
  std::string ValidationMessage() const;
  // Writes "community", "destination", "port" and "version" when the
  // settings are valid; otherwise writes nothing and returns false with the
  // message to show.
  bool Save(std::string* refusal);

  SnmpSettings& settings() { return settings_; }
  const SnmpSettings& settings() const { return settings_; }

 private:
  platform::Registry& registry_;
  SnmpSettings settings_;
};

}  // namespace kivo::tool
