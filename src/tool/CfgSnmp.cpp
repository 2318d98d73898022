#include "tool/CfgSnmp.h"

#include "config/RegistryConfig.h"
#include "tool/TextLimits.h"
#include "tool/TextToNumber.h"

namespace kivo::tool {

CfgSnmp::CfgSnmp(platform::Registry& registry) : registry_(registry) {}

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
  settings_.version_index =
      version >= 0 && version < kVersionCount ? version : SnmpSettings::kNoVersion;
}

std::string CfgSnmp::ValidationMessage() const {
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
  if (settings_.community.empty()) lines += "An SNMP Community must be specified\n";
  // Texts the store could not read back are refused too; the page's fields
  // normally stop the typing before this point.
  if (!FitsStore(settings_.destination)) {
    lines += TooLongText("The destination IP address or host") + "\n";
  }
  if (!FitsStore(settings_.community)) lines += TooLongText("The SNMP Community") + "\n";
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
  written.Add(config.SetSnmpVersion(settings_.version_index));
  result.error = written.error();
  return result;
}

}  // namespace kivo::tool
