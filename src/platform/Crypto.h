#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>

namespace kivo::platform {

// The hash functions of SNMPv3's authentication protocols.
enum class HashAlgorithm { kSha1, kSha224, kSha256, kSha384, kSha512 };

// Octets of each algorithm's digest (20, 28, 32, 48, 64).
std::size_t DigestSize(HashAlgorithm algorithm);

// A digest or a MAC: the first `size` octets of `octets` (at most 64).
struct Digest {
  std::array<std::uint8_t, 64> octets{};
  std::size_t size = 0;
};

// A hash computed over data given in pieces: the passphrase-to-key
// algorithm hashes a megabyte of repeated passphrase, which no caller wants
// to hold in one buffer.
class HashStream {
 public:
  virtual ~HashStream() = default;
  // False once anything failed; the stream is then useless.
  virtual bool Update(const std::uint8_t* data, std::size_t size) = 0;
  // The digest of everything given; nothing after a failure. Call once.
  virtual std::optional<Digest> Finish() = 0;
};

// HMAC with one key, made ready once: the key is processed when the object
// is made, and each MAC then costs only the hashing of its message.
class Mac {
 public:
  virtual ~Mac() = default;
  // The whole MAC of data (the digest's size); nothing when it failed.
  virtual std::optional<Digest> Compute(const std::uint8_t* data, std::size_t size) = 0;
};

constexpr std::size_t kAesBlockSize = 16;
constexpr std::size_t kAes128KeySize = 16;

// AES-128 with one key, one block at a time (ECB without padding): the
// block function that the modes of operation are built on.
class BlockCipher {
 public:
  virtual ~BlockCipher() = default;
  // Encrypts 16 octets from `in` to `out` (which may be the same place).
  virtual bool EncryptBlock(const std::uint8_t* in, std::uint8_t* out) = 0;
};

// The platform's cryptography: BCrypt on Windows, OpenSSL's libcrypto
// natively. Nothing here is written by us. A failure (an algorithm the
// system lacks, a provider that cannot be opened) shows as an empty result
// or false, never as a wrong value.
class Crypto {
 public:
  virtual ~Crypto() = default;

  // HMAC with the hash and key; null when they cannot be used.
  virtual std::unique_ptr<Mac> Hmac(HashAlgorithm algorithm, const std::uint8_t* key,
                                    std::size_t key_size) = 0;

  // A plain hash, fed in pieces; null when the algorithm cannot be used.
  virtual std::unique_ptr<HashStream> StartHash(HashAlgorithm algorithm) = 0;

  // An AES-128 block cipher with a key of kAes128KeySize octets; null when
  // the key cannot be set up.
  virtual std::unique_ptr<BlockCipher> Aes128(const std::uint8_t* key) = 0;

  // Cryptographically random octets from the system's generator.
  virtual bool RandomBytes(std::uint8_t* out, std::size_t size) = 0;
};

inline std::size_t DigestSize(HashAlgorithm algorithm) {
  switch (algorithm) {
    case HashAlgorithm::kSha1:
      return 20;
    case HashAlgorithm::kSha224:
      return 28;
    case HashAlgorithm::kSha256:
      return 32;
    case HashAlgorithm::kSha384:
      return 48;
    case HashAlgorithm::kSha512:
      return 64;
  }
  return 0;
}

}  // namespace kivo::platform
