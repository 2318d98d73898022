#include "tool/AdvancedSnmpDialog.h"

#include "config/RegistryConfig.h"
#include "tool/TextLimits.h"

namespace kivo::tool {

namespace {

bool Ticked(std::int32_t value) {
  return value != 0;
}
std::int32_t Flag(bool ticked) {
  return ticked ? 1 : 0;
}

void WriteIncludeDefaults(config::RegistryConfig& config) {
  config.SetIec(1);
  config.SetIecn(1);
  config.SetIed(1);
  config.SetIen(1);
  config.SetIes(1);
  config.SetIet(1);
  config.SetIeu(1);
  config.SetSenderOid("");
}

}  // namespace

AdvancedSnmpDialog::AdvancedSnmpDialog(platform::Registry& registry) : registry_(registry) {}

void AdvancedSnmpDialog::Load() {
  settings_ = AdvancedSnmpSettings();
  config::RegistryConfig config(registry_, nullptr);
  try {
    settings_.event_category = Ticked(config.GetIec());
    settings_.event_computer_name = Ticked(config.GetIecn());
    settings_.event_description = Ticked(config.GetIed());
    settings_.event_number = Ticked(config.GetIen());
    settings_.event_source = Ticked(config.GetIes());
    settings_.event_type = Ticked(config.GetIet());
    settings_.event_user = Ticked(config.GetIeu());
    settings_.sender_oid = config.GetSenderOid();
  } catch (const config::RegistryReadError&) {
    WriteIncludeDefaults(config);
  }
  try {
    settings_.strip_crlf = Ticked(config.GetStripCrlf());
  } catch (const config::RegistryReadError&) {
    config.SetStripCrlf(0);
  }
}

std::string AdvancedSnmpDialog::ValidationMessage() const {
  return FitsStore(settings_.sender_oid) ? std::string() : TooLongText("The Sender's OID") + ".";
}

bool AdvancedSnmpDialog::Save(std::string* refusal) {
  *refusal = ValidationMessage();
  if (!refusal->empty()) return false;
  config::RegistryConfig config(registry_, nullptr);
  config.SetIec(Flag(settings_.event_category));
  config.SetIecn(Flag(settings_.event_computer_name));
  config.SetIed(Flag(settings_.event_description));
  config.SetIen(Flag(settings_.event_number));
  config.SetIes(Flag(settings_.event_source));
  config.SetIet(Flag(settings_.event_type));
  config.SetIeu(Flag(settings_.event_user));
  config.SetSenderOid(settings_.sender_oid);
  config.SetStripCrlf(Flag(settings_.strip_crlf));
  return true;
}

}  // namespace kivo::tool
