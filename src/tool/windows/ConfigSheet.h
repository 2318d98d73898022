#pragma once

#include "platform/Crypto.h"
#include "platform/Registry.h"
#include "platform/Secrets.h"

namespace kivo::tool::windows {

// Shows the modal property sheet "Kivo Configuration" with its four pages
// and returns when it is closed with OK or Cancel. The secrets and the
// cryptography serve the SNMPv3 user of the SNMP page.
void RunConfigSheet(platform::Registry& registry, platform::Secrets& secrets,
                    platform::Crypto& crypto);

}  // namespace kivo::tool::windows
