#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

#include "platform/Crypto.h"
#include "snmp/EngineId.h"

namespace kivo::snmp {

// A USM key (RFC 3414): a passphrase's key Ku or one localized for an
// engine, Kul, as long as the hash's digest. Its octets are wiped when the
// object goes.
class UsmKey {
 public:
  UsmKey() = default;
  UsmKey(const std::uint8_t* octets, std::size_t size);
  UsmKey(const UsmKey& other) = default;
  UsmKey& operator=(const UsmKey& other) = default;
  ~UsmKey();

  const std::uint8_t* data() const { return octets_.data(); }
  std::size_t size() const { return size_; }

 private:
  std::array<std::uint8_t, 64> octets_{};
  std::size_t size_ = 0;
};

// RFC 3414 requires passphrases of at least this many characters.
constexpr std::size_t kMinPassphraseLength = 8;
// The longest passphrase Kivo stores: more is no passphrase anyone typed.
constexpr std::size_t kMaxPassphraseLength = 1024;

// The password-to-key algorithm (RFC 3414 A.2, with the hash of the user's
// authentication protocol as RFC 7860 extends it): the digest of 1,048,576
// octets of the passphrase repeated. Nothing for a passphrase shorter than
// kMinPassphraseLength or when the hash fails. About a megabyte of hashing:
// derive once per passphrase, not per message.
std::optional<UsmKey> PasswordToKey(platform::Crypto& crypto, platform::HashAlgorithm hash,
                                    std::string_view passphrase);

// Localizes a key for an engine: H(Ku || engineID || Ku).
std::optional<UsmKey> LocalizeKey(platform::Crypto& crypto, platform::HashAlgorithm hash,
                                  const UsmKey& key, const EngineId& engine_id);

}  // namespace kivo::snmp
