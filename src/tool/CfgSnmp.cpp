#include "tool/CfgSnmp.h"

#include <algorithm>
#include <iterator>
#include <variant>

#include "config/RegistryConfig.h"
#include "snmp/EngineStore.h"
#include "snmp/UsmKeys.h"
#include "snmp/UsmUser.h"
#include "tool/TextLimits.h"
#include "tool/TextToNumber.h"

namespace kivo::tool {

namespace names = config::names;

namespace {

constexpr char kDefaultAuth[] = "SHA-256";
constexpr int kDefaultLevel = 2;  // authPriv, as hardening guides ask

bool PassphraseStored(platform::Secrets& secrets, const char* name) {
  std::string secret;
  const platform::Win32Error error = secrets.Read(name, &secret);
  if (!secret.empty()) platform::WipeSecret(&secret[0], secret.size());
  // A secret that cannot be read (no rights to the key) may be there.
  return error != platform::kErrorFileNotFound;
}

// The lines that refuse a passphrase field, for a level that needs it:
// `missing` and `the` name it ("An authentication passphrase", "The
// authentication passphrase").
std::string PassphraseLines(const PassphraseField& field, const std::string& missing,
                            const std::string& the) {
  if (!field.changed) return field.stored ? std::string() : missing + " must be specified\n";
  if (field.changed->size() < snmp::kMinPassphraseLength) {
    return the + " must have at least " + std::to_string(snmp::kMinPassphraseLength) +
           " characters\n";
  }
  if (field.changed->size() > snmp::kMaxPassphraseLength) {
    return the + " must not be longer than " + std::to_string(snmp::kMaxPassphraseLength) +
           " characters\n";
  }
  return std::string();
}

}  // namespace

CfgSnmp::CfgSnmp(platform::Registry& registry, platform::Secrets& secrets, platform::Crypto& crypto)
    : registry_(registry), secrets_(secrets), crypto_(crypto) {}

const std::vector<std::string>& CfgSnmp::auth_protocols() const {
  if (!auth_protocols_) {
    auth_protocols_.emplace();
    for (const char* name : snmp::kAuthProtocolNames) {
      if (crypto_.StartHash(*snmp::ParseAuthProtocol(name))) auth_protocols_->emplace_back(name);
    }
  }
  return *auth_protocols_;
}

void CfgSnmp::Load() {
  namespace defaults = config::defaults;
  using config::TryRead;
  config::RegistryConfig config(registry_, nullptr);
  settings_.community =
      TryRead([&] { return config.GetCommunity(); }).value_or(defaults::kCommunity);
  settings_.destination =
      TryRead([&] { return config.GetDestination(); }).value_or(defaults::kDestination);
  settings_.port_text =
      std::to_string(TryRead([&] { return config.GetPort(); }).value_or(defaults::kPort));
  const std::int32_t version =
      TryRead([&] { return config.GetSnmpVersion(); }).value_or(defaults::kVersion);
  const auto* stored = std::find(std::begin(kStoredVersions), std::end(kStoredVersions), version);
  settings_.version_index = stored != std::end(kStoredVersions)
                                ? static_cast<int>(stored - std::begin(kStoredVersions))
                                : SnmpSettings::kNoVersion;
  const std::optional<std::int32_t> inform =
      TryRead([&] { return config.ReadNumber(names::kInform); });
  inform_stored_ = inform.has_value();
  settings_.inform = inform.value_or(0) != 0;
  settings_.user = TryRead([&] { return config.ReadText(names::kV3User); }).value_or("");
  const std::int32_t level =
      TryRead([&] { return config.ReadNumber(names::kV3Level); }).value_or(kDefaultLevel);
  settings_.level = level >= 0 && level <= 2 ? level : SnmpSettings::kNoLevel;
  settings_.auth = TryRead([&] { return config.ReadText(names::kV3Auth); }).value_or(kDefaultAuth);
  settings_.priv =
      TryRead([&] { return config.ReadText(names::kV3Priv); }).value_or(kPrivProtocols[0]);
  settings_.auth_passphrase = {PassphraseStored(secrets_, platform::kSecretAuthPassphrase), {}};
  settings_.priv_passphrase = {PassphraseStored(secrets_, platform::kSecretPrivPassphrase), {}};
}

std::string CfgSnmp::ValidationMessage() const {
  const bool v3 = settings_.version_index == kSnmpV3;
  std::string lines;
  if (settings_.version_index == SnmpSettings::kNoVersion) {
    lines += "An SNMP Version must be specified\n";
  }
  if (settings_.destination.empty()) {
    lines += "A destination IP address or host must be specified\n";
  }
  if (settings_.port_text.empty()) {
    lines += "A destination port must be specified\n";
  } else if (!ParsePort(settings_.port_text)) {
    lines += "The destination port must be a whole number from 1 to 65535\n";
  }
  if (!v3 && settings_.community.empty()) lines += "An SNMP Community must be specified\n";
  // Texts the store could not read back are refused too; the page's fields
  // normally stop the typing before this point.
  if (!FitsStore(settings_.destination)) {
    lines += TooLongText("The destination IP address or host") + "\n";
  }
  if (!v3 && !FitsStore(settings_.community)) lines += TooLongText("The SNMP Community") + "\n";
  if (!v3) return lines.empty() ? std::string() : "There is an error in the data:\n\n" + lines;

  if (settings_.user.empty()) lines += "An SNMPv3 user must be specified\n";
  if (settings_.user.size() > snmp::kMaxUserNameLength) {
    lines += "The SNMPv3 user must not be longer than " + std::to_string(snmp::kMaxUserNameLength) +
             " characters\n";
  }
  if (settings_.level == SnmpSettings::kNoLevel) lines += "A security level must be specified\n";
  if (settings_.level >= 1) {
    if (settings_.auth.empty()) {
      lines += "An authentication protocol must be specified\n";
    } else if (std::find(auth_protocols().begin(), auth_protocols().end(), settings_.auth) ==
               auth_protocols().end()) {
      lines +=
          "The authentication protocol " + settings_.auth + " is not available on this system\n";
    }
    lines += PassphraseLines(settings_.auth_passphrase, "An authentication passphrase",
                             "The authentication passphrase");
  }
  if (settings_.level == 2) {
    if (settings_.priv != kPrivProtocols[0]) lines += "A privacy protocol must be specified\n";
    lines += PassphraseLines(settings_.priv_passphrase, "A privacy passphrase",
                             "The privacy passphrase");
  }
  return lines.empty() ? std::string() : "There is an error in the data:\n\n" + lines;
}

SaveResult CfgSnmp::Save() {
  SaveResult result{ValidationMessage()};
  if (!result.refusal.empty()) return result;
  config::RegistryConfig config(registry_, nullptr);
  config::WriteResult written;
  written.Add(config.SetCommunity(settings_.community));
  written.Add(config.SetDestination(settings_.destination));
  written.Add(config.SetPort(*ParsePort(settings_.port_text)));
  written.Add(config.SetSnmpVersion(kStoredVersions[settings_.version_index]));
  if (settings_.inform || inform_stored_) {
    written.Add(config.WriteNumber(names::kInform, settings_.inform ? 1 : 0));
  }
  if (settings_.version_index == kSnmpV3) {
    written.Add(config.WriteText(names::kV3User, settings_.user));
    written.Add(config.WriteNumber(names::kV3Level, settings_.level));
    written.Add(config.WriteText(names::kV3Auth, settings_.auth));
    written.Add(config.WriteText(names::kV3Priv, settings_.priv));
    const struct {
      const char* name;
      PassphraseField* field;
    } passphrases[] = {{platform::kSecretAuthPassphrase, &settings_.auth_passphrase},
                       {platform::kSecretPrivPassphrase, &settings_.priv_passphrase}};
    for (const auto& p : passphrases) {
      if (!p.field->changed) continue;
      const platform::Win32Error error = secrets_.Write(p.name, *p.field->changed);
      written.Add(static_cast<platform::RegStatus>(error));
      if (error != 0) continue;
      // Stored: the field shows stars for it, and the next save leaves it.
      std::string& text = *p.field->changed;
      if (!text.empty()) platform::WipeSecret(&text[0], text.size());
      *p.field = {true, std::nullopt};
    }
  }
  inform_stored_ = inform_stored_ || settings_.inform;
  result.error = written.error();
  return result;
}

std::string CfgSnmp::EngineId(bool* ok) {
  snmp::EngineStore store(registry_, names::kRootPath);
  std::variant<snmp::EngineId, std::string> id = store.KeptId(crypto_);
  *ok = std::holds_alternative<snmp::EngineId>(id);
  return *ok ? std::get<snmp::EngineId>(id).ToHex() : std::get<std::string>(id);
}

}  // namespace kivo::tool
