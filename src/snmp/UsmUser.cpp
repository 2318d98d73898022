#include "snmp/UsmUser.h"

namespace kivo::snmp {

using platform::HashAlgorithm;

namespace {

const struct {
  const char* name;
  HashAlgorithm hash;
  std::size_t mac_length;
} kAuthProtocols[] = {
    {"SHA", HashAlgorithm::kSha1, 12},       {"SHA-224", HashAlgorithm::kSha224, 16},
    {"SHA-256", HashAlgorithm::kSha256, 24}, {"SHA-384", HashAlgorithm::kSha384, 32},
    {"SHA-512", HashAlgorithm::kSha512, 48},
};

}  // namespace

std::optional<HashAlgorithm> ParseAuthProtocol(std::string_view name) {
  for (const auto& protocol : kAuthProtocols) {
    if (name == protocol.name) return protocol.hash;
  }
  return std::nullopt;
}

std::optional<PrivProtocol> ParsePrivProtocol(std::string_view name) {
  if (name == "AES") return PrivProtocol::kAes128;
  return std::nullopt;
}

std::size_t MacLength(HashAlgorithm hash) {
  for (const auto& protocol : kAuthProtocols) {
    if (hash == protocol.hash) return protocol.mac_length;
  }
  return 0;
}

std::variant<UsmUser, std::string> UsmUser::Derive(platform::Crypto& crypto, std::string name,
                                                   SecurityLevel level, HashAlgorithm auth,
                                                   std::string_view auth_passphrase,
                                                   std::string_view priv_passphrase) {
  if (name.size() > kMaxUserNameLength)
    return std::string("the user name is longer than 32 octets");
  UsmUser user;
  user.name = std::move(name);
  user.level = level;
  user.auth = auth;
  if (level == SecurityLevel::kNoAuthNoPriv) return user;
  const struct {
    std::string_view passphrase;
    UsmKey* key;
    const char* what;
  } keys[] = {{auth_passphrase, &user.auth_key, "authentication"},
              {priv_passphrase, &user.priv_key, "privacy"}};
  for (const auto& k : keys) {
    if (k.key == &user.priv_key && level != SecurityLevel::kAuthPriv) break;
    if (k.passphrase.size() < kMinPassphraseLength) {
      return std::string("the ") + k.what + " passphrase is shorter than 8 characters";
    }
    std::optional<UsmKey> key = PasswordToKey(crypto, auth, k.passphrase);
    if (!key) return std::string("the ") + k.what + " key cannot be derived: hash unavailable";
    *k.key = *key;
  }
  return user;
}

std::optional<LocalizedUser> LocalizedUser::Localize(platform::Crypto& crypto, const UsmUser& user,
                                                     const EngineId& engine_id) {
  LocalizedUser localized;
  localized.name_ = user.name;
  localized.level_ = user.level;
  localized.auth_ = user.auth;
  if (!localized.authenticates()) return localized;
  std::optional<UsmKey> auth_key = LocalizeKey(crypto, user.auth, user.auth_key, engine_id);
  if (!auth_key) return std::nullopt;
  localized.mac_ = crypto.Hmac(user.auth, auth_key->data(), auth_key->size());
  if (!localized.mac_) return std::nullopt;
  if (!localized.encrypts()) return localized;
  std::optional<UsmKey> priv_key = LocalizeKey(crypto, user.auth, user.priv_key, engine_id);
  if (!priv_key || priv_key->size() < platform::kAes128KeySize) return std::nullopt;
  localized.cipher_ = crypto.Aes128(priv_key->data());
  if (!localized.cipher_) return std::nullopt;
  return localized;
}

LocalizedUser LocalizedUser::Anonymous() {
  return LocalizedUser();
}

}  // namespace kivo::snmp
