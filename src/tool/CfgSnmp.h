#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/Crypto.h"
#include "platform/Registry.h"
#include "platform/Secrets.h"
#include "tool/SaveResult.h"

namespace kivo::tool {

// A passphrase field: whether a passphrase is stored (the field then shows
// stars for it), and the one typed when the field was changed. Only a
// changed one is written.
struct PassphraseField {
  bool stored = false;
  std::optional<std::string> changed;
};

// What the SNMP page shows and edits: the trap destination in the root key,
// "inform" and, for SNMPv3, the user, whose passphrases are stored secrets.
struct SnmpSettings {
  static constexpr int kNoVersion = -1;  // no entry of the version list chosen
  static constexpr int kNoLevel = -1;
  int version_index = kNoVersion;  // 0 "SNMPv1", 1 "SNMPv2c", 2 "SNMPv3"
  std::string destination;
  std::string port_text;
  std::string community;  // not used by SNMPv3
  bool inform = false;
  // SNMPv3.
  std::string user{};
  int level = kNoLevel;  // 0 noAuthNoPriv, 1 authNoPriv, 2 authPriv
  std::string auth{};    // "SHA", "SHA-256", ...; empty: none chosen
  std::string priv{};    // "AES"
  PassphraseField auth_passphrase{};
  PassphraseField priv_passphrase{};
};

// The SNMP page's load, validation and save, without its window.
class CfgSnmp {
 public:
  // Entries of the version list, in the list's order; the stored "version"
  // of each is kStoredVersions' at the same place.
  static constexpr const char* kVersionNames[] = {"SNMPv1", "SNMPv2c", "SNMPv3"};
  static constexpr std::int32_t kStoredVersions[] = {0, 1, 3};
  static constexpr int kVersionCount = 3;
  static constexpr int kSnmpV3 = 2;
  static constexpr const char* kLevelNames[] = {"noAuthNoPriv", "authNoPriv", "authPriv"};
  static constexpr const char* kPrivProtocols[] = {"AES"};

  // All must outlive the page. `crypto` tells which authentication
  // protocols this system offers and makes the engine ID.
  CfgSnmp(platform::Registry& registry, platform::Secrets& secrets, platform::Crypto& crypto);

  // Reads "community", "destination", "port", "version", "inform" and the
  // SNMPv3 values, and whether the passphrases are stored; a value that
  // cannot be read is shown with its default (authPriv with SHA-256 and AES
  // for SNMPv3). Writes nothing.
  void Load();
  // The message that refuses a save, or the empty text when the settings
  // may be saved.
  std::string ValidationMessage() const;
  // Writes "community", "destination", "port" and "version"; "inform" when
  // it is on or was stored; for SNMPv3 "v3user", "v3level", "v3auth",
  // "v3priv", and the passphrases that were changed. Nothing when the
  // settings are not valid: the refusal instead.
  SaveResult Save();

  // The authentication protocols this system can compute, in the order the
  // page lists them (CNG has no SHA-224). Asked of the system once.
  const std::vector<std::string>& auth_protocols() const;

  // Kivo's engine ID in hex, for the management station: the one the store
  // keeps, or, before the service has made one, one made now in the same
  // form and stored at once, so that the service takes it over. Or why
  // there is none.
  std::string EngineId(bool* ok);

  SnmpSettings& settings() { return settings_; }
  const SnmpSettings& settings() const { return settings_; }

 private:
  platform::Registry& registry_;
  platform::Secrets& secrets_;
  platform::Crypto& crypto_;
  mutable std::optional<std::vector<std::string>> auth_protocols_;
  SnmpSettings settings_;
  bool inform_stored_ = false;
};

}  // namespace kivo::tool
