#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/Crypto.h"
#include "snmp/OctetBuffer.h"
#include "snmp/ReceivedMessage.h"
#include "snmp/UsmUser.h"

namespace kivo::snmp {

// True when a received SNMPv3 message carries the MAC of `user`: its
// authentication parameters are as long as the protocol's MAC and equal the
// HMAC of the whole message, taken with them zeroed. `data` and `size` are
// the octets `message` was read from.
bool VerifyAuthentication(const LocalizedUser& user, const std::uint8_t* data, std::size_t size,
                          const ReceivedMessage& message);

// Decrypts an encrypted scoped PDU (AES-128-CFB, the IV made of the
// message's boots, time and salt) into `clear` and reads it into the
// message. False when the user does not encrypt, the salt is not 8 octets,
// the cipher fails or the decrypted octets are no scoped PDU.
bool DecryptScopedPdu(const LocalizedUser& user, ReceivedMessage* message, MessageBuffer* clear);

}  // namespace kivo::snmp
