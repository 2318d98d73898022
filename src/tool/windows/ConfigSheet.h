#pragma once

#include "platform/Registry.h"

namespace kivo::tool::windows {

// Shows the modal property sheet "Kivo Configuration" with its four pages
// and returns when it is closed with OK or Cancel.
void RunConfigSheet(platform::Registry& registry);

}  // namespace kivo::tool::windows
