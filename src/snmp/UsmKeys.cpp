#include "snmp/UsmKeys.h"

#include <algorithm>
#include <vector>

#include "platform/Secrets.h"

namespace kivo::snmp {
namespace {

constexpr std::size_t kExpandedLength = 1048576;
// The expanded passphrase goes to the hash in pieces of this size.
constexpr std::size_t kPiece = 4096;

}  // namespace

UsmKey::UsmKey(const std::uint8_t* octets, std::size_t size)
    : size_(std::min(size, octets_.size())) {
  std::copy(octets, octets + size_, octets_.begin());
}

UsmKey::~UsmKey() {
  platform::WipeSecret(octets_.data(), octets_.size());
}

std::optional<UsmKey> PasswordToKey(platform::Crypto& crypto, platform::HashAlgorithm hash,
                                    std::string_view passphrase) {
  if (passphrase.size() < kMinPassphraseLength) return std::nullopt;
  const auto stream = crypto.StartHash(hash);
  if (!stream) return std::nullopt;
  // The passphrase repeated over a piece and one passphrase more: every
  // piece of the endless repetition starts somewhere in its first copy.
  std::vector<std::uint8_t> repeated(kPiece + passphrase.size());
  for (std::size_t i = 0; i < repeated.size(); ++i) {
    repeated[i] = static_cast<std::uint8_t>(passphrase[i % passphrase.size()]);
  }
  bool ok = true;
  for (std::size_t done = 0; ok && done < kExpandedLength; done += kPiece) {
    ok = stream->Update(repeated.data() + done % passphrase.size(), kPiece);
  }
  platform::WipeSecret(repeated.data(), repeated.size());
  std::optional<platform::Digest> digest = ok ? stream->Finish() : std::nullopt;
  if (!digest) return std::nullopt;
  UsmKey key(digest->octets.data(), digest->size);
  platform::WipeSecret(digest->octets.data(), digest->octets.size());
  return key;
}

std::optional<UsmKey> LocalizeKey(platform::Crypto& crypto, platform::HashAlgorithm hash,
                                  const UsmKey& key, const EngineId& engine_id) {
  const auto stream = crypto.StartHash(hash);
  if (!stream || !stream->Update(key.data(), key.size()) ||
      !stream->Update(engine_id.data(), engine_id.size()) ||
      !stream->Update(key.data(), key.size())) {
    return std::nullopt;
  }
  std::optional<platform::Digest> digest = stream->Finish();
  if (!digest) return std::nullopt;
  UsmKey localized(digest->octets.data(), digest->size);
  platform::WipeSecret(digest->octets.data(), digest->octets.size());
  return localized;
}

}  // namespace kivo::snmp
