#pragma once

#include "platform/Crypto.h"

namespace kivo::platform {

// OpenSSL's libcrypto: the native build's cryptography, for the tests and
// benchmarks (EVP digests, the HMAC MAC, AES-128-ECB without padding,
// RAND_bytes).
class PosixCrypto : public Crypto {
 public:
  PosixCrypto();
  ~PosixCrypto() override;
  PosixCrypto(const PosixCrypto&) = delete;
  PosixCrypto& operator=(const PosixCrypto&) = delete;

  std::unique_ptr<Mac> Hmac(HashAlgorithm algorithm, const std::uint8_t* key,
                            std::size_t key_size) override;
  std::unique_ptr<HashStream> StartHash(HashAlgorithm algorithm) override;
  std::unique_ptr<BlockCipher> Aes128(const std::uint8_t* key) override;
  bool RandomBytes(std::uint8_t* out, std::size_t size) override;

 private:
  struct MacAlgorithm;
  std::unique_ptr<MacAlgorithm> mac_;
};

}  // namespace kivo::platform
