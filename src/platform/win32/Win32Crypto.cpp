#include "platform/win32/Win32Crypto.h"

// The CNG declarations want a Vista-era system; the rest of the build
// targets older ones, which is why bcrypt.dll is loaded at run time.
#undef _WIN32_WINNT
#define _WIN32_WINNT 0x0600
#include <windows.h>

#include <bcrypt.h>

#include <climits>
#include <vector>

namespace kivo::platform {
namespace {

constexpr int kHashAlgorithms = 5;

bool Succeeded(NTSTATUS status) {
  return status >= 0;
}

int Index(HashAlgorithm algorithm) {
  return static_cast<int>(algorithm);
}

const wchar_t* AlgorithmName(HashAlgorithm algorithm) {
  switch (algorithm) {
    case HashAlgorithm::kSha1:
      return BCRYPT_SHA1_ALGORITHM;
    case HashAlgorithm::kSha224:
      return L"SHA224";  // no constant in the headers; Wine and Windows 10 know it
    case HashAlgorithm::kSha256:
      return BCRYPT_SHA256_ALGORITHM;
    case HashAlgorithm::kSha384:
      return BCRYPT_SHA384_ALGORITHM;
    case HashAlgorithm::kSha512:
      return BCRYPT_SHA512_ALGORITHM;
  }
  return nullptr;
}

template <typename Function>
void Load(HMODULE module, const char* name, Function* function) {
  *function = reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

}  // namespace

// bcrypt.dll's entry points and the providers opened so far.
struct Win32Crypto::Cng {
  HMODULE module = LoadLibraryA("bcrypt.dll");
  decltype(&BCryptOpenAlgorithmProvider) open_provider = nullptr;
  decltype(&BCryptCloseAlgorithmProvider) close_provider = nullptr;
  decltype(&BCryptGetProperty) get_property = nullptr;
  decltype(&BCryptSetProperty) set_property = nullptr;
  decltype(&BCryptCreateHash) create_hash = nullptr;
  decltype(&BCryptHashData) hash_data = nullptr;
  decltype(&BCryptFinishHash) finish_hash = nullptr;
  decltype(&BCryptDestroyHash) destroy_hash = nullptr;
  decltype(&BCryptDuplicateHash) duplicate_hash = nullptr;
  decltype(&BCryptGenerateSymmetricKey) generate_key = nullptr;
  decltype(&BCryptEncrypt) encrypt = nullptr;
  decltype(&BCryptDestroyKey) destroy_key = nullptr;
  decltype(&BCryptGenRandom) random = nullptr;
  bool loaded = false;

  // A provider with the size of the objects it makes (hash or key state,
  // which the caller supplies for systems before Windows 7).
  struct Provider {
    BCRYPT_ALG_HANDLE handle = nullptr;
    ULONG object_size = 0;
  };
  Provider hashes[kHashAlgorithms];
  Provider hmacs[kHashAlgorithms];
  Provider aes;
  Provider rng;

  Cng() {
    if (module == nullptr) return;
    Load(module, "BCryptOpenAlgorithmProvider", &open_provider);
    Load(module, "BCryptCloseAlgorithmProvider", &close_provider);
    Load(module, "BCryptGetProperty", &get_property);
    Load(module, "BCryptSetProperty", &set_property);
    Load(module, "BCryptCreateHash", &create_hash);
    Load(module, "BCryptHashData", &hash_data);
    Load(module, "BCryptFinishHash", &finish_hash);
    Load(module, "BCryptDestroyHash", &destroy_hash);
    Load(module, "BCryptDuplicateHash", &duplicate_hash);
    Load(module, "BCryptGenerateSymmetricKey", &generate_key);
    Load(module, "BCryptEncrypt", &encrypt);
    Load(module, "BCryptDestroyKey", &destroy_key);
    Load(module, "BCryptGenRandom", &random);
    loaded = open_provider && close_provider && get_property && set_property && create_hash &&
             hash_data && finish_hash && destroy_hash && duplicate_hash && generate_key &&
             encrypt && destroy_key && random;
  }

  ~Cng() {
    if (loaded) {
      for (Provider* provider : {&aes, &rng}) Close(*provider);
      for (int i = 0; i < kHashAlgorithms; ++i) {
        Close(hashes[i]);
        Close(hmacs[i]);
      }
    }
    if (module != nullptr) FreeLibrary(module);
  }

  void Close(Provider& provider) {
    if (provider.handle != nullptr) close_provider(provider.handle, 0);
  }

  // The provider, opened on first use; null when it cannot be.
  const Provider* Open(Provider& provider, const wchar_t* algorithm, ULONG flags) {
    if (!loaded || algorithm == nullptr) return nullptr;
    if (provider.handle != nullptr) return &provider;
    BCRYPT_ALG_HANDLE handle = nullptr;
    if (!Succeeded(open_provider(&handle, algorithm, nullptr, flags))) return nullptr;
    ULONG object_size = 0;
    ULONG written = 0;
    if (!Succeeded(get_property(handle, BCRYPT_OBJECT_LENGTH,
                                reinterpret_cast<PUCHAR>(&object_size), sizeof(object_size),
                                &written, 0))) {
      object_size = 0;
    }
    provider.handle = handle;
    provider.object_size = object_size;
    return &provider;
  }

  const Provider* Hash(HashAlgorithm algorithm, bool keyed) {
    const int index = Index(algorithm);
    if (index < 0 || index >= kHashAlgorithms) return nullptr;
    return keyed ? Open(hmacs[index], AlgorithmName(algorithm), BCRYPT_ALG_HANDLE_HMAC_FLAG)
                 : Open(hashes[index], AlgorithmName(algorithm), 0);
  }

  const Provider* Aes() {
    if (aes.handle != nullptr) return &aes;
    const Provider* provider = Open(aes, BCRYPT_AES_ALGORITHM, 0);
    if (provider == nullptr) return nullptr;
    if (!Succeeded(
            set_property(aes.handle, BCRYPT_CHAINING_MODE,
                         reinterpret_cast<PUCHAR>(const_cast<wchar_t*>(BCRYPT_CHAIN_MODE_ECB)),
                         sizeof(BCRYPT_CHAIN_MODE_ECB), 0))) {
      Close(aes);
      aes.handle = nullptr;
      return nullptr;
    }
    return provider;
  }
};

namespace {

// One hash object and the state buffer it lives in.
class CngHash : public HashStream {
 public:
  CngHash(Win32Crypto::Cng& cng, const Win32Crypto::Cng::Provider& provider,
          HashAlgorithm algorithm, const std::uint8_t* key, std::size_t key_size)
      : cng_(cng), state_(provider.object_size), size_(DigestSize(algorithm)) {
    if (key_size > ULONG_MAX) return;
    ok_ = Succeeded(cng_.create_hash(provider.handle, &hash_, state_.data(),
                                     static_cast<ULONG>(state_.size()), const_cast<PUCHAR>(key),
                                     static_cast<ULONG>(key_size), 0));
  }
  // A copy of another hash object in the state it is in (a keyed HMAC that
  // has hashed nothing yet, for one).
  explicit CngHash(const CngHash& original)
      : cng_(original.cng_), state_(original.state_.size()), size_(original.size_) {
    ok_ = original.ok_ && Succeeded(cng_.duplicate_hash(original.hash_, &hash_, state_.data(),
                                                        static_cast<ULONG>(state_.size()), 0));
  }
  ~CngHash() override {
    if (hash_ != nullptr) cng_.destroy_hash(hash_);
  }
  CngHash& operator=(const CngHash&) = delete;

  bool ok() const { return ok_; }

  bool Update(const std::uint8_t* data, std::size_t size) override {
    while (ok_ && size > 0) {
      const ULONG piece = size > ULONG_MAX ? ULONG_MAX : static_cast<ULONG>(size);
      ok_ = Succeeded(cng_.hash_data(hash_, const_cast<PUCHAR>(data), piece, 0));
      data += piece;
      size -= piece;
    }
    return ok_;
  }

  std::optional<Digest> Finish() override {
    Digest digest;
    if (!ok_ ||
        !Succeeded(cng_.finish_hash(hash_, digest.octets.data(), static_cast<ULONG>(size_), 0))) {
      return std::nullopt;
    }
    ok_ = false;
    digest.size = size_;
    return digest;
  }

 private:
  Win32Crypto::Cng& cng_;
  std::vector<UCHAR> state_;
  std::size_t size_;
  BCRYPT_HASH_HANDLE hash_ = nullptr;
  bool ok_ = false;
};

// The HMAC's key is processed once, into a hash object that never hashes
// anything itself: every MAC is computed on a duplicate of it.
class CngMac : public Mac {
 public:
  CngMac(Win32Crypto::Cng& cng, const Win32Crypto::Cng::Provider& provider, HashAlgorithm algorithm,
         const std::uint8_t* key, std::size_t key_size)
      : keyed_(cng, provider, algorithm, key, key_size) {}

  bool ok() const { return keyed_.ok(); }

  std::optional<Digest> Compute(const std::uint8_t* data, std::size_t size) override {
    CngHash hash(keyed_);
    if (!hash.Update(data, size)) return std::nullopt;
    return hash.Finish();
  }

 private:
  CngHash keyed_;
};

class CngAesBlock : public BlockCipher {
 public:
  CngAesBlock(Win32Crypto::Cng& cng, const Win32Crypto::Cng::Provider& provider,
              const std::uint8_t* key)
      : cng_(cng), state_(provider.object_size) {
    ok_ = Succeeded(cng_.generate_key(provider.handle, &key_, state_.data(),
                                      static_cast<ULONG>(state_.size()), const_cast<PUCHAR>(key),
                                      kAes128KeySize, 0));
  }
  ~CngAesBlock() override {
    if (key_ != nullptr) cng_.destroy_key(key_);
  }
  CngAesBlock(const CngAesBlock&) = delete;
  CngAesBlock& operator=(const CngAesBlock&) = delete;

  bool ok() const { return ok_; }

  bool EncryptBlock(const std::uint8_t* in, std::uint8_t* out) override {
    UCHAR block[kAesBlockSize];
    for (std::size_t i = 0; i < kAesBlockSize; ++i) block[i] = in[i];
    ULONG written = 0;
    return ok_ &&
           Succeeded(cng_.encrypt(key_, block, kAesBlockSize, nullptr, nullptr, 0, out,
                                  kAesBlockSize, &written, 0)) &&
           written == kAesBlockSize;
  }

 private:
  Win32Crypto::Cng& cng_;
  std::vector<UCHAR> state_;
  BCRYPT_KEY_HANDLE key_ = nullptr;
  bool ok_ = false;
};

}  // namespace

Win32Crypto::Win32Crypto() : cng_(std::make_unique<Cng>()) {}
Win32Crypto::~Win32Crypto() = default;

std::unique_ptr<Mac> Win32Crypto::Hmac(HashAlgorithm algorithm, const std::uint8_t* key,
                                       std::size_t key_size) {
  const Cng::Provider* provider = cng_->Hash(algorithm, true);
  if (provider == nullptr) return nullptr;
  auto mac = std::make_unique<CngMac>(*cng_, *provider, algorithm, key, key_size);
  if (!mac->ok()) return nullptr;
  return mac;
}

std::unique_ptr<HashStream> Win32Crypto::StartHash(HashAlgorithm algorithm) {
  const Cng::Provider* provider = cng_->Hash(algorithm, false);
  if (provider == nullptr) return nullptr;
  auto stream = std::make_unique<CngHash>(*cng_, *provider, algorithm, nullptr, 0);
  if (!stream->ok()) return nullptr;
  return stream;
}

std::unique_ptr<BlockCipher> Win32Crypto::Aes128(const std::uint8_t* key) {
  const Cng::Provider* provider = cng_->Aes();
  if (provider == nullptr) return nullptr;
  auto cipher = std::make_unique<CngAesBlock>(*cng_, *provider, key);
  if (!cipher->ok()) return nullptr;
  return cipher;
}

bool Win32Crypto::RandomBytes(std::uint8_t* out, std::size_t size) {
  const Cng::Provider* provider = cng_->Open(cng_->rng, BCRYPT_RNG_ALGORITHM, 0);
  while (provider != nullptr && size > 0) {
    const ULONG piece = size > ULONG_MAX ? ULONG_MAX : static_cast<ULONG>(size);
    if (!Succeeded(cng_->random(provider->handle, out, piece, 0))) return false;
    out += piece;
    size -= piece;
  }
  return provider != nullptr;
}

}  // namespace kivo::platform
