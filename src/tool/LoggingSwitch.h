#pragma once

#include <string>

#include "platform/Registry.h"

namespace kivo::tool {

// The hidden Ctrl, F5 command of the SNMP page that switches the service's
// trace file on and off. It watches the messages bound for the page: a
// key-down of Ctrl arms it, a key-down of F5 while armed toggles, other
// key-downs leave it as it is, and any other message disarms it.
class LoggingSwitch {
 public:
  enum class Message { kCtrlKeyDown, kF5KeyDown, kOtherKeyDown, kOther };

  // True when this message should toggle logging. The switch stays armed
  // after a toggle; the F5 key-up that follows disarms it.
  bool Inspect(Message message);
  bool armed() const { return armed_; }

  // Flips "logging" in the root key (a missing value counts as 0 and is
  // written as 0 first). Gives the registry's error of a failed write, or
  // success with the text to show in *shown.
  static platform::RegStatus Toggle(platform::Registry& registry, std::string* shown);

 private:
  bool armed_ = false;
};

}  // namespace kivo::tool
