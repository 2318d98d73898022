#include "eventlog/Tracing.h"

#include "config/RegistryConfig.h"

namespace kivo::eventlog {

bool TracingOn(platform::Registry& registry, bool write_default) {
  config::RegistryConfig config(registry, nullptr);
  try {
    return config.GetLogging() != 0;
  } catch (const config::RegistryReadError&) {
    if (write_default) config.SetLogging(0);
    return false;
  }
}

}  // namespace kivo::eventlog
