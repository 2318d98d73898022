#pragma once

#include <cstdint>
#include <optional>

#include "platform/Crypto.h"
#include "snmp/EngineId.h"
#include "snmp/OctetBuffer.h"
#include "snmp/SnmpMessage.h"
#include "snmp/UsmUser.h"

namespace kivo::snmp {

// msgFlags of an SNMPv3 message.
constexpr std::uint8_t kFlagAuth = 0x01;
constexpr std::uint8_t kFlagPriv = 0x02;
constexpr std::uint8_t kFlagReportable = 0x04;
// The largest message Kivo takes, as it tells the receiver (msgMaxSize): one
// UDP datagram over IPv4.
constexpr std::int32_t kV3MaxMessageSize = 65507;
constexpr std::int32_t kSnmpVersion3 = 3;
constexpr std::int32_t kSecurityModelUsm = 3;
// Octets of msgPrivacyParameters: the salt of the AES IV.
constexpr std::size_t kSaltSize = 8;
// The most octets an SNMPv3 message adds to its PDU: header, security
// parameters (engine IDs and user names of 32 octets, the longest MAC) and
// the scoped PDU's own fields, with every length in its longest form.
constexpr std::size_t kMaxV3Envelope = 256;

// The authoritative engine of a message as the sender knows it: Kivo itself
// for its traps, the receiver for an inform. Its boots and time go into the
// security parameters and the privacy IV.
struct AuthoritativeEngine {
  EngineId id;
  std::uint32_t boots = 0;
  std::uint32_t time = 0;
};

// Writes SNMPv3 messages (RFC 3412, USM of RFC 3414): the header, the
// security parameters, the scoped PDU (contextEngineID, an empty
// contextName, a PDU), encrypted (AES-128-CFB, RFC 3826) and authenticated
// (HMAC over the whole message, cut to the protocol's MAC length) as the
// user's level says. It keeps the msgID and salt counters, both started at
// random values.
class SnmpV3Writer {
 public:
  explicit SnmpV3Writer(platform::Crypto& crypto);

  // A msgID not given out before (until the counter wraps at 2^31).
  std::int32_t NextMessageId();

  // Writes the PDU (for a trap or inform, the SnmpMessage composed as for
  // SNMPv2c; its version and community are not used) into *out as one
  // message from `user`, whose keys are localized for `engine`. False when
  // the crypto failed; nothing then goes out in clear instead.
  bool Write(const PduEncoding& pdu, const LocalizedUser& user, const AuthoritativeEngine& engine,
             const EngineId& context_engine, std::int32_t message_id, bool reportable,
             MessageBuffer* out);

 private:
  std::uint64_t salt_ = 0;
  std::uint32_t next_message_id_ = 0;
};

}  // namespace kivo::snmp
