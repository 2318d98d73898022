// libFuzzer target for what the inform exchange reads from the network: a
// whole datagram as a message of any version, and for SNMPv3 the checks the
// exchange makes with the keys of the user "kivo256" (SHA-256, AES,
// passphrase "kivo-256-passphrase", the one of the snmptrapd peer test)
// localized for the engine the message names: the MAC and the decryption.
// Whatever the octets, every view must lie inside them (or inside the
// decrypted octets), and every binding's name must read as an OID.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <variant>

#include "platform/posix/PosixCrypto.h"
#include "snmp/ReceivedMessage.h"
#include "snmp/SnmpOid.h"
#include "snmp/SnmpV3Reader.h"
#include "snmp/UsmUser.h"

namespace {

using namespace kivo;

void Require(bool condition) {
  if (!condition) __builtin_trap();
}

void RequireInside(const snmp::OctetView& view, const std::uint8_t* data, std::size_t size) {
  Require(view.size == 0 || (view.data >= data && view.data + view.size <= data + size));
}

void CheckPdu(const snmp::ReceivedMessage& message, const std::uint8_t* data, std::size_t size) {
  if (!message.pdu) return;
  for (const snmp::ReceivedBinding& binding : message.pdu->bindings) {
    RequireInside(binding.name, data, size);
    RequireInside(binding.value, data, size);
    Require(!binding.NameText().empty());
  }
}

platform::PosixCrypto& Crypto() {
  static platform::PosixCrypto crypto;
  return crypto;
}

const snmp::UsmUser& User() {
  static const snmp::UsmUser user = std::get<snmp::UsmUser>(snmp::UsmUser::Derive(
      Crypto(), "kivo256", snmp::SecurityLevel::kAuthPriv, platform::HashAlgorithm::kSha256,
      "kivo-256-passphrase", "kivo-256-passphrase"));
  return user;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::optional<snmp::ReceivedMessage> message = snmp::ReadMessage(data, size);
  snmp::ReceivedMessage scoped;
  if (snmp::ReadScopedPdu(data, size, &scoped)) CheckPdu(scoped, data, size);
  if (!message) return 0;
  CheckPdu(*message, data, size);
  RequireInside(message->community, data, size);
  RequireInside(message->encrypted, data, size);
  const snmp::ReceivedUsm& usm = message->usm;
  for (const auto& view :
       {usm.engine_id, usm.user_name, usm.auth_parameters, usm.priv_parameters}) {
    RequireInside(view, data, size);
  }
  if (message->version != 3) return 0;
  Require(usm.auth_offset + usm.auth_parameters.size <= size);
  const auto engine = snmp::EngineId::FromOctets(usm.engine_id.data, usm.engine_id.size);
  if (!engine) return 0;
  const auto user = snmp::LocalizedUser::Localize(Crypto(), User(), *engine);
  Require(user.has_value());
  snmp::VerifyAuthentication(*user, data, size, *message);
  snmp::MessageBuffer clear;
  if (message->encrypted.data != nullptr && snmp::DecryptScopedPdu(*user, &*message, &clear)) {
    CheckPdu(*message, clear.data(), clear.size());
  }
  return 0;
}
