#include "tool/CfgSnmp.h"

#include "config/RegistryConfig.h"
#include "tool/TextLimits.h"
#include "tool/TextToNumber.h"

namespace kivo::tool {

CfgSnmp::CfgSnmp(platform::Registry& registry) : registry_(registry) {}

void CfgSnmp::Load() {
  config::RegistryConfig config(registry_, nullptr);
  try {
    settings_.community = config.GetCommunity();
    settings_.destination = config.GetDestination();
    settings_.port_text = std::to_string(config.GetPort());
    const std::int32_t version = config.GetSnmpVersion();
    settings_.version_index =
        version >= 0 && version < kVersionCount ? version : SnmpSettings::kNoVersion;
  } catch (const config::RegistryReadError&) {
    // The page shows what it could read; the store is not repaired here.
  }
}

std::string CfgSnmp::ValidationMessage() const {
  std::string lines;
  if (settings_.version_index == SnmpSettings::kNoVersion) {
    lines += "An SNMP Version must be specified\n";
  }
  if (settings_.destination.empty()) {
    lines += "A destination IP address or host must be specified\n";
  }
  if (settings_.port_text.empty()) lines += "A destination port must be specified\n";
  if (settings_.community.empty()) lines += "An SNMP Community must be specified\n";
  // Texts the store could not read back are refused too; the page's fields
  // normally stop the typing before this point.
  if (!FitsStore(settings_.destination)) {
    lines += TooLongText("The destination IP address or host") + "\n";
  }
  if (!FitsStore(settings_.community)) lines += TooLongText("The SNMP Community") + "\n";
  return lines.empty() ? std::string() : "There is an error in the data:\n\n" + lines;
}

bool CfgSnmp::Save(std::string* refusal) {
  *refusal = ValidationMessage();
  if (!refusal->empty()) return false;
  config::RegistryConfig config(registry_, nullptr);
  config.SetCommunity(settings_.community);
  config.SetDestination(settings_.destination);
  config.SetPort(TextToNumber(settings_.port_text));
  config.SetSnmpVersion(settings_.version_index);
  return true;
}

}  // namespace kivo::tool
