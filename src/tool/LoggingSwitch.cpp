#include "tool/LoggingSwitch.h"

#include "config/RegistryConfig.h"

namespace kivo::tool {

bool LoggingSwitch::Inspect(Message message) {
  switch (message) {
    case Message::kCtrlKeyDown:
      armed_ = true;
      return false;
    case Message::kF5KeyDown:
      return armed_;
    case Message::kOtherKeyDown:
      return false;
    case Message::kOther:
      armed_ = false;
      return false;
  }
  return false;
}

std::string LoggingSwitch::Toggle(platform::Registry& registry) {
  config::RegistryConfig config(registry, nullptr);
  std::int32_t old_value = 0;
  try {
    old_value = config.GetLogging();
  } catch (const config::RegistryReadError&) {
    config.SetLogging(0);
  }
  const std::int32_t new_value = old_value == 0 ? 1 : 0;
  config.SetLogging(new_value);
  return std::string("Logging is now ") + (new_value == 1 ? "on" : "off");
}

}  // namespace kivo::tool
