#include "eventlog/LogPositions.h"

namespace kivo::eventlog {

namespace {
constexpr std::uint32_t kValueSize = 8;

void Store32(unsigned char* p, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<unsigned char>(value >> (8 * i));
}
std::uint32_t Load32(const unsigned char* p) {
  return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
         static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}
}  // namespace

std::uint32_t RecordCheck(const unsigned char* bytes, std::uint32_t size) {
  std::uint32_t hash = 2166136261u;
  for (std::uint32_t i = 0; i < size; ++i) hash = (hash ^ bytes[i]) * 16777619u;
  return hash != 0 ? hash : 1;
}

LogPositions::LogPositions(platform::Registry& registry, const std::string& service_key) {
  registry.Create(service_key + "\\" + kSubkey, &key_);
}

std::optional<LogPosition> LogPositions::Load(const char* log_name) const {
  unsigned char value[kValueSize] = {};
  std::uint32_t size = sizeof(value);
  platform::RegType type = platform::RegType::kNone;
  if (key_ == nullptr || key_->QueryValue(log_name, &type, value, &size) != platform::kRegSuccess ||
      type != platform::RegType::kBinary || size != kValueSize) {
    return std::nullopt;
  }
  return LogPosition{Load32(value), Load32(value + 4)};
}

void LogPositions::Save(const char* log_name, LogPosition position) {
  if (key_ == nullptr) return;
  unsigned char value[kValueSize];
  Store32(value, position.next_record);
  Store32(value + 4, position.check);
  key_->SetValue(log_name, platform::RegType::kBinary, value, kValueSize);
}

void LogPositions::Forget(platform::Registry& registry, const std::string& service_key) {
  std::unique_ptr<platform::RegistryKey> key;
  if (registry.Open(service_key, &key) == platform::kRegSuccess) key->DeleteSubkey(kSubkey);
}

}  // namespace kivo::eventlog
