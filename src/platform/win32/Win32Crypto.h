#pragma once

#include <memory>

#include "platform/Crypto.h"

namespace kivo::platform {

// CNG (BCrypt): HMAC and hash providers, AES in ECB mode, the system's
// random generator. bcrypt.dll is loaded when the object is made, not
// imported: it came with Windows Vista, and the programs must still start
// where it is missing (every call then fails). Providers are opened when
// first used and kept. One thread at a time.
class Win32Crypto : public Crypto {
 public:
  Win32Crypto();
  ~Win32Crypto() override;
  Win32Crypto(const Win32Crypto&) = delete;
  Win32Crypto& operator=(const Win32Crypto&) = delete;

  std::unique_ptr<Mac> Hmac(HashAlgorithm algorithm, const std::uint8_t* key,
                            std::size_t key_size) override;
  std::unique_ptr<HashStream> StartHash(HashAlgorithm algorithm) override;
  std::unique_ptr<BlockCipher> Aes128(const std::uint8_t* key) override;
  bool RandomBytes(std::uint8_t* out, std::size_t size) override;

  struct Cng;

 private:
  std::unique_ptr<Cng> cng_;
};

}  // namespace kivo::platform
