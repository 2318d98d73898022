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

platform::RegStatus LoggingSwitch::Toggle(platform::Registry& registry, std::string* shown) {
  config::RegistryConfig config(registry, nullptr);
  config::WriteResult written;
  const auto old_value = config::TryRead([&] { return config.GetLogging(); });
  if (!old_value) written.Add(config.SetLogging(0));
  const std::int32_t new_value = old_value.value_or(0) == 0 ? 1 : 0;
  written.Add(config.SetLogging(new_value));
  if (written.error() == platform::kRegSuccess) {
    *shown = std::string("Logging is now ") + (new_value == 1 ? "on" : "off");
  }
  return written.error();
}

}  // namespace kivo::tool
