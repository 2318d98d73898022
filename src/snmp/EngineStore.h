#pragma once

#include <cstdint>
#include <string>
#include <variant>

#include "platform/Crypto.h"
#include "platform/Registry.h"
#include "snmp/EngineId.h"

namespace kivo::snmp {

// Kivo's snmpEngineID and snmpEngineBoots as the configuration store keeps
// them, in the REG_BINARY "engineID" and the REG_DWORD "engineBoots" of one
// key. The ID is made once, when it is first wanted, and never changed
// after: receivers are configured with it. A value that is there but holds
// no ID or count is left as it is and refused, never replaced: a new ID
// would break every receiver, and a lower boot count would make them drop
// the traps as replays.
class EngineStore {
 public:
  static constexpr char kIdValue[] = "engineID";
  static constexpr char kBootsValue[] = "engineBoots";
  // RFC 3414's highest boot count; reached, it stays.
  static constexpr std::uint32_t kMaxBoots = 2147483647;

  // key_path: below HKEY_LOCAL_MACHINE, the store's root key.
  EngineStore(platform::Registry& registry, std::string key_path);

  // The kept ID; one of Kivo's form made from `crypto`'s random octets and
  // stored when there is none. Or why there is none.
  std::variant<EngineId, std::string> KeptId(platform::Crypto& crypto);

  // Raises the kept boot count by one (a missing count counts as 0) and
  // returns it as stored. Or why it cannot be.
  std::variant<std::uint32_t, std::string> RaiseBoots();

 private:
  platform::Registry& registry_;
  std::string key_path_;
};

}  // namespace kivo::snmp
