#include "snmp/SnmpV3Reader.h"

#include <algorithm>

#include "snmp/AesCfb.h"
#include "snmp/SnmpV3Writer.h"

namespace kivo::snmp {

bool VerifyAuthentication(const LocalizedUser& user, const std::uint8_t* data, std::size_t size,
                          const ReceivedMessage& message) {
  const OctetView mac = message.usm.auth_parameters;
  const std::size_t length = MacLength(user.auth());
  if (user.mac() == nullptr || mac.size != length || message.usm.auth_offset + length > size) {
    return false;
  }
  MessageBuffer zeroed(data, size);
  std::fill(zeroed.data() + message.usm.auth_offset,
            zeroed.data() + message.usm.auth_offset + length, std::uint8_t{0});
  const std::optional<platform::Digest> digest = user.mac()->Compute(zeroed.data(), size);
  if (!digest || digest->size < length) return false;
  // Every octet compared, whatever the first difference.
  std::uint8_t difference = 0;
  for (std::size_t i = 0; i < length; ++i) difference |= digest->octets[i] ^ mac.data[i];
  return difference == 0;
}

bool DecryptScopedPdu(const LocalizedUser& user, ReceivedMessage* message, MessageBuffer* clear) {
  const OctetView salt = message->usm.priv_parameters;
  if (!user.encrypts() || user.cipher() == nullptr || salt.size != kSaltSize ||
      message->encrypted.data == nullptr) {
    return false;
  }
  std::uint8_t iv[platform::kAesBlockSize];
  UsmPrivacyIv(message->usm.boots, message->usm.time, salt.data, iv);
  std::uint8_t* out = clear->Allocate(message->encrypted.size);
  return AesCfbDecrypt(*user.cipher(), iv, message->encrypted.data, message->encrypted.size, out) &&
         ReadScopedPdu(out, message->encrypted.size, message);
}

}  // namespace kivo::snmp
