#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/Crypto.h"

namespace kivo::snmp {

// AES in CFB mode with 128-bit feedback (RFC 3826's privacy), built over the
// platform's single-block encryption, since the platforms' own CFB modes
// are not this one (BCrypt's feeds back 8 bits). No padding: the output is
// exactly as long as the input, a last partial block taking only the
// key-stream octets it needs. `out` may be `in`. False when the cipher fails.
//   C[i] = P[i] XOR E(C[i-1]), C[0] = IV
bool AesCfbEncrypt(platform::BlockCipher& cipher, const std::uint8_t* iv, const std::uint8_t* in,
                   std::size_t size, std::uint8_t* out);
bool AesCfbDecrypt(platform::BlockCipher& cipher, const std::uint8_t* iv, const std::uint8_t* in,
                   std::size_t size, std::uint8_t* out);

// The IV of USM's AES privacy: the authoritative engine's boots and time
// (4 octets each, big-endian), then the message's 8-octet salt.
void UsmPrivacyIv(std::uint32_t boots, std::uint32_t time, const std::uint8_t* salt,
                  std::uint8_t* iv);

}  // namespace kivo::snmp
