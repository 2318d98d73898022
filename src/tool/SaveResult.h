#pragma once

#include <cstdint>
#include <string>

#include "platform/Registry.h"

namespace kivo::tool {

// What a save of a page or dialog did: refused the settings with a message
// (nothing written), failed with the registry's error, or saved.
struct SaveResult {
  std::string refusal;
  platform::RegStatus error = platform::kRegSuccess;  // the first write that failed
  bool saved() const { return refusal.empty() && error == platform::kRegSuccess; }
};

// The message of a failed save, with the system's text for the error and
// its number ("Access is denied. (error 5)").
inline std::string SaveFailedMessage(const std::string& error_text) {
  return "Kivo could not save the settings: " + error_text + ".";
}

}  // namespace kivo::tool
