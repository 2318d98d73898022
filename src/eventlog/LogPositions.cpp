#include "eventlog/LogPositions.h"

#include <vector>

#include "config/RegistryConfig.h"
#include "config/TraceFile.h"
#include "eventlog/LogTable.h"

namespace kivo::eventlog {

using platform::RegType;

namespace {
constexpr std::uint32_t kValueSize = 8;

void Store32(unsigned char* p, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<unsigned char>(value >> (8 * i));
}
std::uint32_t Load32(const unsigned char* p) {
  return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
         static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

std::string TypeName(RegType type) {
  switch (type) {
    case RegType::kText:
      return "REG_SZ";
    case RegType::kExpandText:
      return "REG_EXPAND_SZ";
    case RegType::kNumber:
      return "REG_DWORD";
    case RegType::kMultiText:
      return "REG_MULTI_SZ";
    default:
      return "type " + std::to_string(static_cast<std::uint32_t>(type));
  }
}

// A value whatever its type and size; none when there is none.
std::optional<std::pair<RegType, std::vector<unsigned char>>> ReadRaw(platform::RegistryKey& key,
                                                                      const char* name) {
  std::vector<unsigned char> bytes(kValueSize);
  auto size = static_cast<std::uint32_t>(bytes.size());
  RegType type = RegType::kNone;
  platform::RegStatus status = key.QueryValue(name, &type, bytes.data(), &size);
  if (status == platform::kErrorMoreData) {
    bytes.resize(size);
    status = key.QueryValue(name, &type, bytes.data(), &size);
  }
  if (status != platform::kRegSuccess) return std::nullopt;
  bytes.resize(size);
  return std::make_pair(type, bytes);
}

}  // namespace

std::uint32_t RecordCheck(const unsigned char* bytes, std::uint32_t size) {
  std::uint32_t hash = 2166136261u;
  for (std::uint32_t i = 0; i < size; ++i) hash = (hash ^ bytes[i]) * 16777619u;
  return hash != 0 ? hash : 1;
}

std::string LogPositions::KeyPath() {
  return std::string(config::names::kRootPath) + "\\" + kSubkey;
}

std::unique_ptr<LogPositions> LogPositions::ForStart(platform::Registry& registry,
                                                     const std::string& old_service_key,
                                                     bool resume) {
  auto positions = std::make_unique<LogPositions>(registry);
  positions->TakeOver(old_service_key);
  if (resume) return positions;
  positions->Forget();
  return nullptr;
}

LogPositions::LogPositions(platform::Registry& registry) : registry_(registry) {
  OpenKey();
}

bool LogPositions::OpenKey() {
  if (key_ == nullptr) {
    const platform::RegStatus status = registry_.Create(KeyPath(), &key_);
    if (status != platform::kRegSuccess) Note(status);
  }
  return key_ != nullptr;
}

void LogPositions::Note(platform::RegStatus status) {
  const bool failed = status != platform::kRegSuccess;
  if (failed == failing_) return;
  failing_ = failed;
  config::TraceFile trace(config::TraceFile::kFileName);
  if (failed) {
    trace.Line("positions cannot be kept in ", KeyPath(), ": error ", status);
  } else {
    trace.Line("positions are kept in ", KeyPath(), " again");
  }
}

void LogPositions::TakeOver(const std::string& old_service_key) {
  std::unique_ptr<platform::RegistryKey> service;
  std::unique_ptr<platform::RegistryKey> old;
  if (registry_.Open(old_service_key + "\\" + kSubkey, &old) != platform::kRegSuccess ||
      registry_.Open(old_service_key, &service) != platform::kRegSuccess || !OpenKey()) {
    return;
  }
  bool taken = true;
  for (const char* log : kLogNames) {
    const auto value = ReadRaw(*old, log);
    if (!value || ReadRaw(*key_, log)) continue;
    const platform::RegStatus status = key_->SetValue(
        log, value->first, value->second.data(), static_cast<std::uint32_t>(value->second.size()));
    Note(status);
    taken = taken && status == platform::kRegSuccess;
  }
  old.reset();
  // Kept until every position is in its new place.
  if (taken) service->DeleteSubkey(kSubkey);
}

void LogPositions::Forget() {
  if (key_ == nullptr) return;
  for (const char* log : kLogNames) key_->DeleteValue(log);
}

KeptPosition LogPositions::Load(const char* log_name) const {
  return key_ != nullptr ? LoadFrom(*key_, log_name) : KeptPosition{};
}

KeptPosition LogPositions::Peek(platform::Registry& registry, const char* log_name) {
  std::unique_ptr<platform::RegistryKey> key;
  if (registry.Open(KeyPath(), &key) != platform::kRegSuccess) return KeptPosition{};
  return LoadFrom(*key, log_name);
}

KeptPosition LogPositions::LoadFrom(const platform::RegistryKey& key, const char* log_name) {
  KeptPosition kept;
  unsigned char value[kValueSize] = {};
  std::uint32_t size = sizeof(value);
  RegType type = RegType::kNone;
  const platform::RegStatus status = key.QueryValue(log_name, &type, value, &size);
  if (status == platform::kErrorFileNotFound) return kept;
  if (status != platform::kRegSuccess && status != platform::kErrorMoreData) {
    kept.damage = "it cannot be read: error " + std::to_string(status);
  } else if (type != RegType::kBinary) {
    kept.damage = "a value of " + TypeName(type) + ", not REG_BINARY";
  } else if (status == platform::kErrorMoreData || size != kValueSize) {
    kept.damage = "a value of " + std::to_string(size) + " bytes, not 8";
  } else {
    kept.position = LogPosition{Load32(value), Load32(value + 4)};
  }
  return kept;
}

void LogPositions::Save(const char* log_name, LogPosition position) {
  if (!OpenKey()) return;
  unsigned char value[kValueSize];
  Store32(value, position.next_record);
  Store32(value + 4, position.check);
  Note(key_->SetValue(log_name, RegType::kBinary, value, kValueSize));
}

}  // namespace kivo::eventlog
