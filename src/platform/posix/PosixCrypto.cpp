#include "platform/posix/PosixCrypto.h"

#include <openssl/core_names.h>
#include <openssl/evp.h>
#include <openssl/params.h>
#include <openssl/rand.h>

#include <climits>

namespace kivo::platform {
namespace {

const EVP_MD* Md(HashAlgorithm algorithm) {
  switch (algorithm) {
    case HashAlgorithm::kSha1:
      return EVP_sha1();
    case HashAlgorithm::kSha224:
      return EVP_sha224();
    case HashAlgorithm::kSha256:
      return EVP_sha256();
    case HashAlgorithm::kSha384:
      return EVP_sha384();
    case HashAlgorithm::kSha512:
      return EVP_sha512();
  }
  return nullptr;
}

const char* MdName(HashAlgorithm algorithm) {
  const EVP_MD* md = Md(algorithm);
  return md == nullptr ? nullptr : EVP_MD_get0_name(md);
}

class EvpHashStream : public HashStream {
 public:
  explicit EvpHashStream(const EVP_MD* md) : context_(EVP_MD_CTX_new()) {
    ok_ = context_ != nullptr && EVP_DigestInit_ex(context_, md, nullptr) == 1;
  }
  ~EvpHashStream() override { EVP_MD_CTX_free(context_); }
  EvpHashStream(const EvpHashStream&) = delete;
  EvpHashStream& operator=(const EvpHashStream&) = delete;

  bool ok() const { return ok_; }

  bool Update(const std::uint8_t* data, std::size_t size) override {
    ok_ = ok_ && EVP_DigestUpdate(context_, data, size) == 1;
    return ok_;
  }

  std::optional<Digest> Finish() override {
    Digest digest;
    unsigned int size = 0;
    if (!ok_ || EVP_DigestFinal_ex(context_, digest.octets.data(), &size) != 1) return std::nullopt;
    ok_ = false;
    digest.size = size;
    return digest;
  }

 private:
  EVP_MD_CTX* context_;
  bool ok_ = false;
};

class EvpAesBlock : public BlockCipher {
 public:
  explicit EvpAesBlock(const std::uint8_t* key) : context_(EVP_CIPHER_CTX_new()) {
    ok_ = context_ != nullptr &&
          EVP_EncryptInit_ex(context_, EVP_aes_128_ecb(), nullptr, key, nullptr) == 1 &&
          EVP_CIPHER_CTX_set_padding(context_, 0) == 1;
  }
  ~EvpAesBlock() override { EVP_CIPHER_CTX_free(context_); }
  EvpAesBlock(const EvpAesBlock&) = delete;
  EvpAesBlock& operator=(const EvpAesBlock&) = delete;

  bool ok() const { return ok_; }

  // EVP_Cipher rather than EVP_EncryptUpdate: one block needs none of the
  // buffering around the cipher, which costs more than the block itself.
  bool EncryptBlock(const std::uint8_t* in, std::uint8_t* out) override {
    return ok_ && EVP_Cipher(context_, out, in, static_cast<unsigned int>(kAesBlockSize)) > 0;
  }

 private:
  EVP_CIPHER_CTX* context_;
  bool ok_ = false;
};

}  // namespace

// The HMAC implementation, fetched once rather than for every key.
struct PosixCrypto::MacAlgorithm {
  EVP_MAC* mac = EVP_MAC_fetch(nullptr, OSSL_MAC_NAME_HMAC, nullptr);
  ~MacAlgorithm() { EVP_MAC_free(mac); }
};

namespace {

// A MAC context set up with its key once; each MAC after the first starts
// it again with that key (EVP_MAC_init without a key), which keeps the
// key's processing and the digest's lookup out of every message.
class EvpHmac : public Mac {
 public:
  EvpHmac(EVP_MAC* mac, HashAlgorithm algorithm, const std::uint8_t* key, std::size_t key_size)
      : context_(EVP_MAC_CTX_new(mac)) {
    const char* name = MdName(algorithm);
    if (context_ == nullptr || name == nullptr) return;
    const OSSL_PARAM params[] = {
        OSSL_PARAM_construct_utf8_string(OSSL_MAC_PARAM_DIGEST, const_cast<char*>(name), 0),
        OSSL_PARAM_construct_end()};
    ok_ = EVP_MAC_init(context_, key, key_size, params) == 1;
  }
  ~EvpHmac() override { EVP_MAC_CTX_free(context_); }
  EvpHmac(const EvpHmac&) = delete;
  EvpHmac& operator=(const EvpHmac&) = delete;

  bool ok() const { return ok_; }

  std::optional<Digest> Compute(const std::uint8_t* data, std::size_t size) override {
    if (!ok_ || (used_ && EVP_MAC_init(context_, nullptr, 0, nullptr) != 1)) return std::nullopt;
    used_ = true;
    Digest mac;
    std::size_t mac_size = 0;
    if (EVP_MAC_update(context_, data, size) != 1 ||
        EVP_MAC_final(context_, mac.octets.data(), &mac_size, mac.octets.size()) != 1) {
      return std::nullopt;
    }
    mac.size = mac_size;
    return mac;
  }

 private:
  EVP_MAC_CTX* context_;
  bool ok_ = false;
  bool used_ = false;
};

}  // namespace

PosixCrypto::PosixCrypto() : mac_(std::make_unique<MacAlgorithm>()) {}
PosixCrypto::~PosixCrypto() = default;

std::unique_ptr<Mac> PosixCrypto::Hmac(HashAlgorithm algorithm, const std::uint8_t* key,
                                       std::size_t key_size) {
  if (mac_->mac == nullptr) return nullptr;
  auto hmac = std::make_unique<EvpHmac>(mac_->mac, algorithm, key, key_size);
  if (!hmac->ok()) return nullptr;
  return hmac;
}

std::unique_ptr<HashStream> PosixCrypto::StartHash(HashAlgorithm algorithm) {
  const EVP_MD* md = Md(algorithm);
  if (md == nullptr) return nullptr;
  auto stream = std::make_unique<EvpHashStream>(md);
  if (!stream->ok()) return nullptr;
  return stream;
}

std::unique_ptr<BlockCipher> PosixCrypto::Aes128(const std::uint8_t* key) {
  auto cipher = std::make_unique<EvpAesBlock>(key);
  if (!cipher->ok()) return nullptr;
  return cipher;
}

bool PosixCrypto::RandomBytes(std::uint8_t* out, std::size_t size) {
  while (size > 0) {
    const int piece = size > INT_MAX ? INT_MAX : static_cast<int>(size);
    if (RAND_bytes(out, piece) != 1) return false;
    out += piece;
    size -= static_cast<std::size_t>(piece);
  }
  return true;
}

}  // namespace kivo::platform
