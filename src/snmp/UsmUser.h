#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

#include "platform/Crypto.h"
#include "snmp/EngineId.h"
#include "snmp/UsmKeys.h"

namespace kivo::snmp {

// The security levels, numbered as the store keeps them.
enum class SecurityLevel : std::int32_t { kNoAuthNoPriv = 0, kAuthNoPriv = 1, kAuthPriv = 2 };

// The privacy protocols: AES-128 in CFB mode (RFC 3826).
enum class PrivProtocol { kAes128 };

// An authentication protocol is HMAC with one of the hashes, by its name as
// the store and net-snmp write it: "SHA" (HMAC-SHA-96, RFC 3414),
// "SHA-224", "SHA-256", "SHA-384", "SHA-512" (RFC 7860). Nothing for any
// other name.
std::optional<platform::HashAlgorithm> ParseAuthProtocol(std::string_view name);
constexpr const char* kAuthProtocolNames[] = {"SHA", "SHA-224", "SHA-256", "SHA-384", "SHA-512"};
// "AES"; nothing for any other name.
std::optional<PrivProtocol> ParsePrivProtocol(std::string_view name);

// Octets of the MAC a message carries: the HMAC cut to 12, 16, 24, 32 or 48
// octets for SHA, SHA-224, SHA-256, SHA-384, SHA-512.
std::size_t MacLength(platform::HashAlgorithm hash);

// The longest user name USM allows.
constexpr std::size_t kMaxUserNameLength = 32;

// A USM user as configured: its name, level, protocols and the keys of its
// passphrases (Ku), which are derived once and localized for each engine.
struct UsmUser {
  std::string name;
  SecurityLevel level = SecurityLevel::kNoAuthNoPriv;
  platform::HashAlgorithm auth = platform::HashAlgorithm::kSha1;
  PrivProtocol priv = PrivProtocol::kAes128;
  UsmKey auth_key;  // for authNoPriv and authPriv
  UsmKey priv_key;  // for authPriv: the privacy passphrase's key, with the auth hash

  // The user with the keys of its passphrases (the ones its level does not
  // use are ignored), or why there is none: a name too long, a passphrase
  // too short, the hash unavailable. The reason never holds a passphrase.
  static std::variant<UsmUser, std::string> Derive(platform::Crypto& crypto, std::string name,
                                                   SecurityLevel level,
                                                   platform::HashAlgorithm auth,
                                                   std::string_view auth_passphrase,
                                                   std::string_view priv_passphrase);
};

// A user's keys localized for one authoritative engine, set up in the
// platform's cryptography: HMAC with the authentication key and, for
// authPriv, AES with the first 16 octets of the localized privacy key.
class LocalizedUser {
 public:
  // Nothing when the hash or the cipher fails.
  static std::optional<LocalizedUser> Localize(platform::Crypto& crypto, const UsmUser& user,
                                               const EngineId& engine_id);
  // The empty user at noAuthNoPriv: what a discovery probe is sent as.
  static LocalizedUser Anonymous();

  const std::string& name() const { return name_; }
  SecurityLevel level() const { return level_; }
  bool authenticates() const { return level_ != SecurityLevel::kNoAuthNoPriv; }
  bool encrypts() const { return level_ == SecurityLevel::kAuthPriv; }
  platform::HashAlgorithm auth() const { return auth_; }
  // Null unless the user authenticates.
  platform::Mac* mac() const { return mac_.get(); }
  // Null unless the user encrypts.
  platform::BlockCipher* cipher() const { return cipher_.get(); }

 private:
  std::string name_;
  SecurityLevel level_ = SecurityLevel::kNoAuthNoPriv;
  platform::HashAlgorithm auth_ = platform::HashAlgorithm::kSha1;
  std::unique_ptr<platform::Mac> mac_;
  std::unique_ptr<platform::BlockCipher> cipher_;
};

}  // namespace kivo::snmp
