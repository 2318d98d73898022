#include "snmp/EngineStore.h"

#include <memory>
#include <utility>

namespace kivo::snmp {
namespace {

std::string Failed(const char* what, const char* value, platform::RegStatus status) {
  return std::string(what) + " " + value + ": error " + std::to_string(status);
}

std::string Damaged(const char* value) {
  return std::string("the stored ") + value + " is damaged; delete it to start anew";
}

}  // namespace

EngineStore::EngineStore(platform::Registry& registry, std::string key_path)
    : registry_(registry), key_path_(std::move(key_path)) {}

std::variant<EngineId, std::string> EngineStore::KeptId(platform::Crypto& crypto) {
  std::unique_ptr<platform::RegistryKey> key;
  platform::RegStatus status = registry_.Open(key_path_, &key);
  if (status != platform::kRegSuccess) return Failed("cannot open the key of", kIdValue, status);
  std::uint8_t octets[EngineId::kMaxSize + 1] = {};
  std::uint32_t size = sizeof(octets);
  platform::RegType type = platform::RegType::kNone;
  status = key->QueryValue(kIdValue, &type, octets, &size);
  if (status == platform::kRegSuccess || status == platform::kErrorMoreData) {
    const std::optional<EngineId> kept =
        status == platform::kRegSuccess && type == platform::RegType::kBinary
            ? EngineId::FromOctets(octets, size)
            : std::nullopt;
    if (!kept) return Damaged(kIdValue);
    return *kept;
  }
  if (status != platform::kErrorFileNotFound) return Failed("cannot read", kIdValue, status);
  const std::optional<EngineId> made = EngineId::Make(crypto);
  if (!made) return std::string("no random octets for a new ") + kIdValue;
  status = key->SetValue(kIdValue, platform::RegType::kBinary, made->data(),
                         static_cast<std::uint32_t>(made->size()));
  if (status != platform::kRegSuccess) return Failed("cannot store", kIdValue, status);
  return *made;
}

std::variant<std::uint32_t, std::string> EngineStore::RaiseBoots() {
  std::unique_ptr<platform::RegistryKey> key;
  platform::RegStatus status = registry_.Open(key_path_, &key);
  if (status != platform::kRegSuccess) return Failed("cannot open the key of", kBootsValue, status);
  std::uint32_t boots = 0;
  std::uint32_t size = sizeof(boots);
  platform::RegType type = platform::RegType::kNone;
  status = key->QueryValue(kBootsValue, &type, &boots, &size);
  if (status == platform::kErrorFileNotFound) {
    boots = 0;
  } else if (status == platform::kErrorMoreData ||
             (status == platform::kRegSuccess &&
              (type != platform::RegType::kNumber || size != sizeof(boots) || boots > kMaxBoots))) {
    return Damaged(kBootsValue);
  } else if (status != platform::kRegSuccess) {
    return Failed("cannot read", kBootsValue, status);
  }
  if (boots < kMaxBoots) ++boots;
  status = key->SetValue(kBootsValue, platform::RegType::kNumber, &boots, sizeof(boots));
  if (status != platform::kRegSuccess) return Failed("cannot store", kBootsValue, status);
  return boots;
}

}  // namespace kivo::snmp
