#include "tool/AdvancedSnmpDialog.h"

#include "config/RegistryConfig.h"
#include "tool/TextLimits.h"

namespace kivo::tool {

AdvancedSnmpDialog::AdvancedSnmpDialog(platform::Registry& registry) : registry_(registry) {}

namespace {

// The store's flags and the settings' members, in the order they are written.
constexpr struct {
  const char* name;
  bool AdvancedSnmpSettings::*flag;
} kFlags[] = {
    {config::names::kIec, &AdvancedSnmpSettings::event_category},
    {config::names::kIecn, &AdvancedSnmpSettings::event_computer_name},
    {config::names::kIed, &AdvancedSnmpSettings::event_description},
    {config::names::kIen, &AdvancedSnmpSettings::event_number},
    {config::names::kIes, &AdvancedSnmpSettings::event_source},
    {config::names::kIet, &AdvancedSnmpSettings::event_type},
    {config::names::kIeu, &AdvancedSnmpSettings::event_user},
};

}  // namespace

void AdvancedSnmpDialog::Load() {
  using config::TryRead;
  const AdvancedSnmpSettings defaults;
  config::RegistryConfig config(registry_, nullptr);
  for (const auto& flag : kFlags) {
    const auto stored = TryRead([&] { return config.ReadNumber(flag.name); });
    settings_.*flag.flag = stored ? *stored != 0 : defaults.*flag.flag;
  }
  settings_.sender_oid =
      TryRead([&] { return config.GetSenderOid(); }).value_or(defaults.sender_oid);
  const auto strip = TryRead([&] { return config.GetStripCrlf(); });
  settings_.strip_crlf = strip ? *strip != 0 : defaults.strip_crlf;
}

std::string AdvancedSnmpDialog::ValidationMessage() const {
  return FitsStore(settings_.sender_oid) ? std::string() : TooLongText("The Sender's OID") + ".";
}

SaveResult AdvancedSnmpDialog::Save() {
  SaveResult result{ValidationMessage()};
  if (!result.refusal.empty()) return result;
  config::RegistryConfig config(registry_, nullptr);
  config::WriteResult written;
  for (const auto& flag : kFlags) {
    written.Add(config.WriteNumber(flag.name, settings_.*flag.flag ? 1 : 0));
  }
  written.Add(config.SetSenderOid(settings_.sender_oid));
  written.Add(config.SetStripCrlf(settings_.strip_crlf ? 1 : 0));
  result.error = written.error();
  return result;
}

}  // namespace kivo::tool
