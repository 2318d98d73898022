#pragma once

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <variant>

#include "snmp/EngineId.h"
#include "snmp/SnmpMessage.h"
#include "snmp/UsmUser.h"
#include "support/SystemCrypto.h"

namespace kivo::testing {

// The system's cryptography with a "random" generator that gives 0x11
// octets: counters and salts known in advance, for byte-exact layouts.
class FixedRandomCrypto : public SystemCrypto {
 public:
  bool RandomBytes(std::uint8_t* out, std::size_t size) override {
    std::memset(out, 0x11, size);
    return true;
  }
};

inline snmp::EngineId TestEngineId(std::uint8_t last = 8) {
  const std::uint8_t octets[] = {0x80, 0x00, 0x14, 0x9D, 0x05, 1, 2, 3, 4, 5, 6, 7, last};
  return *snmp::EngineId::FromOctets(octets, sizeof(octets));
}

// The user "kivo" with the passphrases "maplesyrup" and "syrupmaple".
inline snmp::UsmUser TestUser(platform::Crypto& crypto, snmp::SecurityLevel level,
                              platform::HashAlgorithm auth = platform::HashAlgorithm::kSha256) {
  auto derived = snmp::UsmUser::Derive(crypto, "kivo", level, auth, "maplesyrup", "syrupmaple");
  return std::get<snmp::UsmUser>(std::move(derived));
}

// A small SNMPv2-Trap-PDU (request-id 1, no bindings), or with a type of
// its own (an InformRequest, a Response).
inline std::unique_ptr<snmp::SnmpMessage> SmallPdu(std::int32_t type = snmp::kPduTrapV2,
                                                   std::int32_t request_id = 1) {
  auto message = std::make_unique<snmp::SnmpMessage>();
  message->SetVersion(1);
  message->SetPduType(type);
  message->SetRequestId(request_id);
  message->SetErrorStatus(0);
  message->SetErrorIndex(0);
  return message;
}

}  // namespace kivo::testing
