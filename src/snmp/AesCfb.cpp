#include "snmp/AesCfb.h"

#include <algorithm>

namespace kivo::snmp {
namespace {

using platform::kAesBlockSize;

// Both directions XOR the key stream E(previous ciphertext block) into the
// data; they differ only in which side is the ciphertext fed back.
bool Run(platform::BlockCipher& cipher, const std::uint8_t* iv, const std::uint8_t* in,
         std::size_t size, std::uint8_t* out, bool encrypting) {
  std::uint8_t feedback[kAesBlockSize];
  std::copy(iv, iv + kAesBlockSize, feedback);
  std::uint8_t stream[kAesBlockSize];
  for (std::size_t done = 0; done < size; done += kAesBlockSize) {
    if (!cipher.EncryptBlock(feedback, stream)) return false;
    const std::size_t piece = std::min(kAesBlockSize, size - done);
    for (std::size_t i = 0; i < piece; ++i) {
      const std::uint8_t input = in[done + i];
      out[done + i] = input ^ stream[i];
      feedback[i] = encrypting ? out[done + i] : input;
    }
  }
  return true;
}

}  // namespace

bool AesCfbEncrypt(platform::BlockCipher& cipher, const std::uint8_t* iv, const std::uint8_t* in,
                   std::size_t size, std::uint8_t* out) {
  return Run(cipher, iv, in, size, out, true);
}

bool AesCfbDecrypt(platform::BlockCipher& cipher, const std::uint8_t* iv, const std::uint8_t* in,
                   std::size_t size, std::uint8_t* out) {
  return Run(cipher, iv, in, size, out, false);
}

void UsmPrivacyIv(std::uint32_t boots, std::uint32_t time, const std::uint8_t* salt,
                  std::uint8_t* iv) {
  for (int i = 0; i < 4; ++i) {
    iv[i] = static_cast<std::uint8_t>(boots >> (24 - 8 * i));
    iv[4 + i] = static_cast<std::uint8_t>(time >> (24 - 8 * i));
  }
  std::copy(salt, salt + 8, iv + 8);
}

}  // namespace kivo::snmp
