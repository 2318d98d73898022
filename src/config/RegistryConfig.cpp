#include "config/RegistryConfig.h"

#include <algorithm>
#include <cstring>
#include <limits>

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

std::optional<std::int32_t> EntryNumber(const std::string& name) {
  constexpr std::size_t kMaxDigits = 10;
  if (name.empty() || name.size() > kMaxDigits || (name[0] == '0' && name.size() > 1)) {
    return std::nullopt;
  }
  std::int64_t number = 0;
  for (char c : name) {
    if (c < '0' || c > '9') return std::nullopt;
    number = number * 10 + (c - '0');
  }
  if (number > std::numeric_limits<std::int32_t>::max()) return std::nullopt;
  return static_cast<std::int32_t>(number);
}

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
      const RegStatus created = CreateDefaults();
      // A store that could not be created is missing for that reason.
      if (Open(name, false) == kNotFound && created != platform::kRegSuccess) status_ = created;
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

RegStatus RegistryConfig::NotOpenError() const {
  return status_ != platform::kRegSuccess ? status_ : platform::kErrorInvalidHandle;
}

RegStatus RegistryConfig::WriteText(const char* value_name, const std::string& text) {
  if (!key_) return NotOpenError();
  return key_->SetValue(value_name, RegType::kText, text.c_str(),
                        static_cast<std::uint32_t>(text.size() + 1));
}

RegStatus RegistryConfig::WriteNumber(const char* value_name, std::int32_t number) {
  if (!key_) return NotOpenError();
  const auto value = static_cast<std::uint32_t>(number);
  const unsigned char bytes[4] = {
      static_cast<unsigned char>(value), static_cast<unsigned char>(value >> 8),
      static_cast<unsigned char>(value >> 16), static_cast<unsigned char>(value >> 24)};
  return key_->SetValue(value_name, RegType::kNumber, bytes, sizeof(bytes));
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

std::vector<std::string> RegistryConfig::EntryNames(std::uint32_t count) const {
  std::vector<std::string> names;
  for (std::uint32_t index = 0; index < count; ++index) {
    std::string name = SubkeyName(index);
    if (!name.empty()) names.push_back(std::move(name));
  }
  std::stable_sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
    const std::optional<std::int32_t> x = EntryNumber(a);
    const std::optional<std::int32_t> y = EntryNumber(b);
    return x && (!y || *x < *y);
  });
  return names;
}

RegStatus RegistryConfig::CreateDefaults() {
  std::unique_ptr<platform::RegistryKey> key;
  const RegStatus created = registry_.Create(names::kRootPath, &key);
  if (created == platform::kRegSuccess) {
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
  return created;
}

bool RegistryConfig::MapExists(std::int32_t event_id) {
  Open(names::kMaps);
  return OpenEntry(event_id) == platform::kRegSuccess;
}

RegistryConfig::FindResult RegistryConfig::FindEntry(const char* list,
                                                     const std::function<bool()>& matches) {
  FindResult result;
  Open(list);
  const std::string list_path = path_.value_or(names::kRootPath);
  // All names first, from the one open list key, then one open per entry:
  // an import adds every filter through a search of the whole list.
  std::vector<std::string> entries(CountSubkeys());
  for (std::uint32_t i = 0; i < entries.size(); ++i) entries[i] = SubkeyName(i);
  for (const std::string& name : entries) {
    ++result.examined;
    if (name.empty()) continue;
    OpenPath(WithSeparator(list_path, name));
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

RegStatus RegistryConfig::OpenNewEntry(const char* list) {
  if (RegStatus opened = Open(list)) return opened;
  // Numbered by the list's size, as both programs count; an entry of that
  // number, which a gap left by a hand edit makes possible, is not written
  // over: the next free number is taken instead.
  const std::string list_path = *path_;
  auto number = static_cast<std::int32_t>(CountSubkeys());
  std::unique_ptr<platform::RegistryKey> taken;
  while (registry_.Open(WithSeparator(list_path, std::to_string(number)), &taken) ==
         platform::kRegSuccess) {
    ++number;
  }
  return OpenEntry(number);
}

RegistryConfig::AddResult RegistryConfig::AddEntry(const char* list,
                                                   const std::function<RegStatus()>& write_values) {
  CreateFlagScope creating(*this);
  if (RegStatus opened = OpenNewEntry(list)) return AddResult{false, opened};
  const RegStatus error = write_values();
  return AddResult{error == platform::kRegSuccess, error};
}

RegistryConfig::FindResult RegistryConfig::FindFilter(const std::string& on,
                                                      const std::string& type) {
  return FindEntry(names::kFilters, [&] {
    std::string stored_on = GetFilterOn();
    std::string stored_type = GetFilterType();
    return stored_on == on && stored_type == type;
  });
}

RegistryConfig::AddResult RegistryConfig::AddFilter(const std::string& on, const std::string& type,
                                                    const std::string& list) {
  if (FindFilter(on, type).found) return AddResult();
  return AppendFilter(on, type, list);
}

RegistryConfig::AddResult RegistryConfig::AppendFilter(const std::string& on,
                                                       const std::string& type,
                                                       const std::string& list) {
  return AddEntry(names::kFilters, [&] {
    WriteResult written;
    written.Add(SetFilterOn(on));
    written.Add(SetFilterType(type));
    written.Add(SetFilterList(list));
    return written.error();
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

RegistryConfig::AddResult RegistryConfig::AddSyslogHost(const std::string& host,
                                                        std::int32_t port) {
  if (FindSyslogHost(host, port).found) return AddResult();
  return AddEntry(names::kSyslog, [&] {
    WriteResult written;
    written.Add(SetSyslogHost(host));
    written.Add(SetSyslogPort(port));
    return written.error();
  });
}

RegStatus RegistryConfig::AddMap(std::int32_t event_id) {
  if (MapExists(event_id)) return platform::kRegSuccess;
  CreateFlagScope creating(*this);
  Open(names::kMaps);
  return OpenEntry(event_id);
}

StoredValues ReadStoredValues(const platform::RegistryKey& key,
                              const std::vector<const char*>& value_names) {
  StoredValues values;
  for (const char* name : value_names) {
    StoredValue value{name, RegType::kNone, {}};
    std::uint32_t size = 0;  // first the size, then the bytes
    RegStatus status = key.QueryValue(name, &value.type, nullptr, &size);
    if (status == platform::kRegSuccess) {
      value.bytes.resize(size);
      status = key.QueryValue(name, &value.type, value.bytes.data(), &size);
      value.bytes.resize(size);
    }
    if (status == platform::kRegSuccess) values.push_back(std::move(value));
  }
  return values;
}

RegStatus WriteStoredValues(platform::RegistryKey& key, const StoredValues& values) {
  WriteResult written;
  for (const StoredValue& value : values) {
    written.Add(key.SetValue(value.name, value.type, value.bytes.data(),
                             static_cast<std::uint32_t>(value.bytes.size())));
  }
  return written.error();
}

StoredValues RegistryConfig::ReadStoredValues(const std::vector<const char*>& value_names) const {
  return key_ ? config::ReadStoredValues(*key_, value_names) : StoredValues();
}

RegStatus RegistryConfig::AddStoredEntry(const char* list, const StoredValues& values) {
  return AddEntry(list, [&] { return WriteStoredValues(*key_, values); }).error;
}

RegStatus RegistryConfig::DeleteSubkey(const std::string& name) {
  if (!key_) return NotOpenError();
  // A name that could not be enumerated cannot be deleted either.
  if (name.empty()) return platform::kErrorInvalidParameter;
  return key_->DeleteSubkey(name);
}

RegStatus RegistryConfig::OpenToClear(const char* list) {
  // A list key that does not exist holds nothing to clear.
  const RegStatus opened = Open(list);
  return opened == kNotFound ? platform::kRegSuccess : opened;
}

RegStatus RegistryConfig::ClearMaps() {
  if (RegStatus error = OpenToClear(names::kMaps)) return error;
  // Always the first name, until none is left; the first subkey the registry
  // refuses to delete ends the clearing.
  for (std::string name = SubkeyName(0); !name.empty(); name = SubkeyName(0)) {
    if (RegStatus error = DeleteSubkey(name)) return error;
  }
  return platform::kRegSuccess;
}

RegStatus RegistryConfig::ClearList(const char* list) {
  if (RegStatus error = OpenToClear(list)) return error;
  // Highest index first, so that the indexes still to come stay valid; the
  // first subkey the registry refuses to delete ends the clearing.
  for (std::uint32_t i = CountSubkeys(); i > 0; --i) {
    if (RegStatus error = DeleteSubkey(SubkeyName(i - 1))) return error;
  }
  return platform::kRegSuccess;
}

RegStatus RegistryConfig::ClearFilters() {
  return ClearList(names::kFilters);
}

RegStatus RegistryConfig::ClearSyslogHosts() {
  return ClearList(names::kSyslog);
}

}  // namespace kivo::config
