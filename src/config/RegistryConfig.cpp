#include "config/RegistryConfig.h"

#include <cstring>

namespace kivo::config {

using platform::RegStatus;
using platform::RegType;

namespace {

std::string WithSeparator(const std::string& base, const std::string& name) {
  return base + "\\" + name;
}

// Clears the create flag however the enclosing operation ends.
class CreateFlagScope {
 public:
  explicit CreateFlagScope(RegistryConfig& config) : config_(config) { config_.set_create(true); }
  ~CreateFlagScope() { config_.set_create(false); }
  CreateFlagScope(const CreateFlagScope&) = delete;
  CreateFlagScope& operator=(const CreateFlagScope&) = delete;

 private:
  RegistryConfig& config_;
};

}  // namespace

RegistryReadError::RegistryReadError(const std::string& value_name, RegStatus status)
    : std::runtime_error("registry value \"" + value_name + "\" could not be read (" +
                         std::to_string(status) + ")"),
      value_name_(value_name),
      status_(status) {}

RegistryConfig::RegistryConfig(platform::Registry& registry, const char* name)
    : registry_(registry) {
  Open(name, false);
  if (status_ == kNotFound) {
    std::unique_ptr<platform::RegistryKey> root;
    if (registry_.Open(names::kRootPath, &root) == kNotFound) {
      CreateDefaults();
      Open(name, false);
    }
  }
}

RegistryConfig::~RegistryConfig() = default;

RegStatus RegistryConfig::Open(const char* name, bool relative) {
  std::string base = relative && path_ ? *path_ : std::string(names::kRootPath);
  return OpenPath(name != nullptr ? WithSeparator(base, name) : base);
}

RegStatus RegistryConfig::OpenEntry(std::int32_t number) {
  std::string list = path_ ? *path_ : std::string(names::kRootPath);
  std::string stored = list;
  RegStatus result = OpenPath(WithSeparator(list, std::to_string(number)));
  path_ = stored;
  return result;
}

RegStatus RegistryConfig::OpenPath(const std::string& path) {
  path_ = path;
  key_.reset();
  status_ = registry_.Open(path, &key_);
  if (status_ == kNotFound && create_) status_ = registry_.Create(path, &key_);
  if (status_ != platform::kRegSuccess) key_.reset();
  return status_;
}

std::string RegistryConfig::ReadText(const char* value_name) {
  if (!key_) throw RegistryReadError(value_name, platform::kErrorInvalidHandle);
  char buffer[kTextBufferSize];
  std::uint32_t size = sizeof(buffer);
  RegType type = RegType::kNone;
  status_ = key_->QueryValue(value_name, &type, buffer, &size);
  if (status_ != platform::kRegSuccess) throw RegistryReadError(value_name, status_);
  if (type != RegType::kText && type != RegType::kExpandText) {
    status_ = platform::kErrorInvalidData;
    throw RegistryReadError(value_name, status_);
  }
  // A text stored without its terminating zero still has to fit the buffer
  // with one, or it is longer than a read can return.
  const void* end = std::memchr(buffer, '\0', size);
  if (end == nullptr && size >= sizeof(buffer)) {
    status_ = platform::kErrorMoreData;
    throw RegistryReadError(value_name, status_);
  }
  std::size_t length = end != nullptr ? static_cast<const char*>(end) - buffer : size;
  return std::string(buffer, length);
}

std::int32_t RegistryConfig::ReadNumber(const char* value_name) {
  if (!key_) throw RegistryReadError(value_name, platform::kErrorInvalidHandle);
  unsigned char bytes[4] = {0, 0, 0, 0};
  std::uint32_t size = sizeof(bytes);
  RegType type = RegType::kNone;
  RegStatus result = key_->QueryValue(value_name, &type, bytes, &size);
  if (result != platform::kRegSuccess) throw RegistryReadError(value_name, result);
  // The registry stores numbers little-endian, as the machine does.
  std::uint32_t value =
      static_cast<std::uint32_t>(bytes[0]) | static_cast<std::uint32_t>(bytes[1]) << 8 |
      static_cast<std::uint32_t>(bytes[2]) << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
  return static_cast<std::int32_t>(value);
}

void RegistryConfig::WriteText(const char* value_name, const std::string& text) {
  if (!key_) {
    status_ = platform::kErrorInvalidHandle;
    return;
  }
  status_ = key_->SetValue(value_name, RegType::kText, text.c_str(),
                           static_cast<std::uint32_t>(text.size() + 1));
}

void RegistryConfig::WriteNumber(const char* value_name, std::int32_t number) {
  if (!key_) return;
  const auto value = static_cast<std::uint32_t>(number);
  const unsigned char bytes[4] = {
      static_cast<unsigned char>(value), static_cast<unsigned char>(value >> 8),
      static_cast<unsigned char>(value >> 16), static_cast<unsigned char>(value >> 24)};
  key_->SetValue(value_name, RegType::kNumber, bytes, sizeof(bytes));
}

std::uint32_t RegistryConfig::CountSubkeys() const {
  std::uint32_t count = 0;
  if (!key_ || key_->CountSubkeys(&count) != platform::kRegSuccess) return 0;
  return count;
}

std::string RegistryConfig::SubkeyName(std::uint32_t index) const {
  if (!key_) return std::string();
  char buffer[kSubkeyNameBufferSize];
  if (key_->SubkeyName(index, buffer, sizeof(buffer)) != platform::kRegSuccess) {
    return std::string();
  }
  buffer[sizeof(buffer) - 1] = '\0';
  return std::string(buffer);
}

void RegistryConfig::CreateDefaults() {
  std::unique_ptr<platform::RegistryKey> key;
  if (registry_.Create(names::kRootPath, &key) == platform::kRegSuccess) {
    std::unique_ptr<platform::RegistryKey> keep = std::move(key_);
    key_ = std::move(key);
    WriteNumber(names::kVersion, defaults::kVersion);
    WriteNumber(names::kPort, defaults::kPort);
    WriteText(names::kDestination, defaults::kDestination);
    WriteText(names::kCommunity, defaults::kCommunity);
    key_ = std::move(keep);
  }
  registry_.Create(WithSeparator(names::kRootPath, names::kFilters), &key);
  key.reset();
  registry_.Create(WithSeparator(names::kRootPath, names::kMaps), &key);
}

bool RegistryConfig::MapExists(std::int32_t event_id) {
  Open(names::kMaps);
  return OpenEntry(event_id) == platform::kRegSuccess;
}

RegistryConfig::FindResult RegistryConfig::FindEntry(const char* list,
                                                     const std::function<bool()>& matches) {
  FindResult result;
  Open(list);
  const std::uint32_t count = CountSubkeys();
  while (result.examined < count) {
    Open(list);
    std::string name = SubkeyName(result.examined);
    ++result.examined;
    if (name.empty()) continue;
    Open(name.c_str(), true);
    try {
      if (matches()) {
        result.found = true;
        return result;
      }
    } catch (const RegistryReadError&) {
      // An entry that cannot be read matches nothing.
    }
  }
  return result;
}

bool RegistryConfig::AddEntry(const char* list, const std::function<FindResult()>& find,
                              const std::function<void()>& write_values) {
  Open(list);
  CreateFlagScope creating(*this);
  FindResult existing = find();
  if (existing.found) return false;
  Open(list);
  OpenEntry(static_cast<std::int32_t>(existing.examined));
  write_values();
  return true;
}

RegistryConfig::FindResult RegistryConfig::FindFilter(const std::string& on,
                                                      const std::string& type) {
  return FindEntry(names::kFilters, [&] {
    std::string stored_on = GetFilterOn();
    std::string stored_type = GetFilterType();
    return stored_on == on && stored_type == type;
  });
}

bool RegistryConfig::AddFilter(const std::string& on, const std::string& type,
                               const std::string& list) {
  return AddEntry(
      names::kFilters, [&] { return FindFilter(on, type); },
      [&] {
        SetFilterOn(on);
        SetFilterType(type);
        SetFilterList(list);
      });
}

RegistryConfig::FindResult RegistryConfig::FindSyslogHost(const std::string& host,
                                                          std::int32_t port) {
  return FindEntry(names::kSyslog, [&] {
    std::string stored_host = GetSyslogHost();
    std::int32_t stored_port = GetSyslogPort();
    return stored_host == host && stored_port == port;
  });
}

bool RegistryConfig::AddSyslogHost(const std::string& host, std::int32_t port) {
  return AddEntry(
      names::kSyslog, [&] { return FindSyslogHost(host, port); },
      [&] {
        SetSyslogHost(host);
        SetSyslogPort(port);
      });
}

void RegistryConfig::AddMap(std::int32_t event_id) {
  if (MapExists(event_id)) return;
  CreateFlagScope creating(*this);
  Open(names::kMaps);
  OpenEntry(event_id);
}

bool RegistryConfig::DeleteSubkey(const std::string& name) {
  return key_ && !name.empty() && key_->DeleteSubkey(name) == platform::kRegSuccess;
}

void RegistryConfig::ClearMaps() {
  Open(names::kMaps);
  // Always the first name, until none is left; a subkey the registry refuses
  // to delete ends the loop instead of spinning on it.
  while (DeleteSubkey(SubkeyName(0))) {
  }
}

void RegistryConfig::ClearList(const char* list) {
  Open(list);
  // Highest index first, so that the indexes still to come stay valid.
  for (std::uint32_t i = CountSubkeys(); i > 0; --i) DeleteSubkey(SubkeyName(i - 1));
}

void RegistryConfig::ClearFilters() {
  ClearList(names::kFilters);
}

void RegistryConfig::ClearSyslogHosts() {
  ClearList(names::kSyslog);
}

}  // namespace kivo::config
