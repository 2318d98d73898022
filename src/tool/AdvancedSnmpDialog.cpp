#include "tool/AdvancedSnmpDialog.h"

#include "config/RegistryConfig.h"
#include "tool/TextLimits.h"

namespace kivo::tool {

AdvancedSnmpDialog::AdvancedSnmpDialog(platform::Registry& registry) : registry_(registry) {}

namespace {

struct Flag {
  const char* name;
  bool AdvancedSnmpSettings::*flag;
};

// The store's flags and the settings' members, in the order they are
// written: the include flags, "senderOID", then the switches.
constexpr Flag kIncludeFlags[] = {
    {config::names::kIec, &AdvancedSnmpSettings::event_category},
    {config::names::kIecn, &AdvancedSnmpSettings::event_computer_name},
    {config::names::kIed, &AdvancedSnmpSettings::event_description},
    {config::names::kIen, &AdvancedSnmpSettings::event_number},
    {config::names::kIes, &AdvancedSnmpSettings::event_source},
    {config::names::kIet, &AdvancedSnmpSettings::event_type},
    {config::names::kIeu, &AdvancedSnmpSettings::event_user},
};
constexpr Flag kSwitches[] = {
    {config::names::kStripCrlf, &AdvancedSnmpSettings::strip_crlf},
    {config::names::kBurst, &AdvancedSnmpSettings::burst},
    {config::names::kResume, &AdvancedSnmpSettings::resume},
};

}  // namespace

void AdvancedSnmpDialog::Load() {
  using config::TryRead;
  const AdvancedSnmpSettings defaults;
  config::RegistryConfig config(registry_, nullptr);
  auto load = [&](const Flag& flag) {
    const auto stored = TryRead([&] { return config.ReadNumber(flag.name); });
    settings_.*flag.flag = stored ? *stored != 0 : defaults.*flag.flag;
  };
  for (const Flag& flag : kIncludeFlags) load(flag);
  settings_.sender_oid =
      TryRead([&] { return config.GetSenderOid(); }).value_or(defaults.sender_oid);
  for (const Flag& flag : kSwitches) load(flag);
}

std::string AdvancedSnmpDialog::ValidationMessage() const {
  return FitsStore(settings_.sender_oid) ? std::string() : TooLongText("The Sender's OID") + ".";
}

SaveResult AdvancedSnmpDialog::Save() {
  SaveResult result{ValidationMessage()};
  if (!result.refusal.empty()) return result;
  config::RegistryConfig config(registry_, nullptr);
  config::WriteResult written;
  auto save = [&](const Flag& flag) {
    written.Add(config.WriteNumber(flag.name, settings_.*flag.flag ? 1 : 0));
  };
  for (const Flag& flag : kIncludeFlags) save(flag);
  written.Add(config.SetSenderOid(settings_.sender_oid));
  for (const Flag& flag : kSwitches) save(flag);
  result.error = written.error();
  return result;
}

}  // namespace kivo::tool
