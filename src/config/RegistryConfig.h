#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>

#include "platform/Registry.h"

namespace kivo::config {

// Names of the store's keys and values, shared by the service and the tool.
namespace names {
constexpr char kRootPath[] = "SOFTWARE\\Tarvenor\\Kivo";
constexpr char kFilters[] = "Filters";
constexpr char kMaps[] = "Maps";
constexpr char kSyslog[] = "Syslog";

constexpr char kVersion[] = "version";
constexpr char kDestination[] = "destination";
constexpr char kPort[] = "port";
constexpr char kCommunity[] = "community";
constexpr char kLogging[] = "logging";
constexpr char kIen[] = "ien";
constexpr char kIet[] = "iet";
constexpr char kIes[] = "ies";
constexpr char kIecn[] = "iecn";
constexpr char kIeu[] = "ieu";
constexpr char kIed[] = "ied";
constexpr char kIec[] = "iec";
constexpr char kSenderOid[] = "senderOID";
constexpr char kStripCrlf[] = "stripCRLF";
constexpr char kBurst[] = "burst";
constexpr char kResume[] = "resume";

constexpr char kFilterOn[] = "filterOn";
constexpr char kFilterType[] = "filterType";
constexpr char kFilterList[] = "filterList";

constexpr char kUseFilters[] = "usefilters";
constexpr char kSyslogHost[] = "sysloghost";
constexpr char kSyslogPort[] = "syslogport";
}  // namespace names

// Defaults written into a store that has no root key yet.
namespace defaults {
constexpr std::int32_t kVersion = 0;
constexpr std::int32_t kPort = 162;
constexpr char kDestination[] = "192.1.1.1";
constexpr char kCommunity[] = "public";
}  // namespace defaults

// A read that failed: the value is missing, its key is not open, or the text
// does not fit the 128-byte read buffer. Callers recover by writing a default
// or by skipping what needed the value.
class RegistryReadError : public std::runtime_error {
 public:
  RegistryReadError(const std::string& value_name, platform::RegStatus status);
  const std::string& value_name() const { return value_name_; }
  platform::RegStatus status() const { return status_; }

 private:
  std::string value_name_;
  platform::RegStatus status_;
};

// The one way both programs reach the configuration store: one open key below
// the root key "SOFTWARE\Tarvenor\Kivo", moved between the root, the list keys
// and their numbered entries. Every value access works on the key opened last.
class RegistryConfig {
 public:
  // Reads of text values go through a buffer of this many bytes, so a stored
  // text of 128 characters or more cannot be read back.
  static constexpr std::uint32_t kTextBufferSize = 128;
  static constexpr std::uint32_t kSubkeyNameBufferSize = 256;
  static constexpr platform::RegStatus kNotFound = platform::kErrorFileNotFound;

  struct FindResult {
    bool found = false;
    std::uint32_t examined = 0;  // entries looked at; the list's size when not found
  };

  // Opens the root key's subkey `name` (the root key itself when name is
  // null). On a store without a root key it first creates the defaults.
  RegistryConfig(platform::Registry& registry, const char* name);
  virtual ~RegistryConfig();
  RegistryConfig(const RegistryConfig&) = delete;
  RegistryConfig& operator=(const RegistryConfig&) = delete;

  // Opens base + "\" + name (just base when name is null). The base is the
  // stored path when `relative` is set, else the root path. An empty name
  // gives the root path with a trailing backslash, which is the root key.
  platform::RegStatus Open(const char* name, bool relative = false);
  // Opens the numbered entry below the stored path, which keeps naming the
  // list key, so that successive calls open siblings.
  platform::RegStatus OpenEntry(std::int32_t number);

  std::string ReadText(const char* value_name);
  std::int32_t ReadNumber(const char* value_name);
  void WriteText(const char* value_name, const std::string& text);
  void WriteNumber(const char* value_name, std::int32_t number);
  std::uint32_t CountSubkeys() const;
  std::string SubkeyName(std::uint32_t index) const;

  void CreateDefaults();
  bool MapExists(std::int32_t event_id);

  FindResult FindFilter(const std::string& on, const std::string& type);
  bool AddFilter(const std::string& on, const std::string& type, const std::string& list);
  void ClearFilters();
  FindResult FindSyslogHost(const std::string& host, std::int32_t port);
  bool AddSyslogHost(const std::string& host, std::int32_t port);
  void ClearSyslogHosts();
  void AddMap(std::int32_t event_id);
  void ClearMaps();

  // True while the object holds an open key (the last Open or OpenEntry
  // succeeded).
  bool IsOpen() const { return key_ != nullptr; }
  void set_create(bool create) { create_ = create; }

  // Named accessors of the values of the key opened last.
  std::int32_t GetSnmpVersion() { return ReadNumber(names::kVersion); }
  void SetSnmpVersion(std::int32_t v) { WriteNumber(names::kVersion, v); }
  std::string GetDestination() { return ReadText(names::kDestination); }
  void SetDestination(const std::string& v) { WriteText(names::kDestination, v); }
  std::int32_t GetPort() { return ReadNumber(names::kPort); }
  void SetPort(std::int32_t v) { WriteNumber(names::kPort, v); }
  std::string GetCommunity() { return ReadText(names::kCommunity); }
  void SetCommunity(const std::string& v) { WriteText(names::kCommunity, v); }
  std::string GetFilterOn() { return ReadText(names::kFilterOn); }
  void SetFilterOn(const std::string& v) { WriteText(names::kFilterOn, v); }
  std::string GetFilterType() { return ReadText(names::kFilterType); }
  void SetFilterType(const std::string& v) { WriteText(names::kFilterType, v); }
  std::string GetFilterList() { return ReadText(names::kFilterList); }
  void SetFilterList(const std::string& v) { WriteText(names::kFilterList, v); }
  std::int32_t GetLogging() { return ReadNumber(names::kLogging); }
  void SetLogging(std::int32_t v) { WriteNumber(names::kLogging, v); }
  std::int32_t GetIec() { return ReadNumber(names::kIec); }
  void SetIec(std::int32_t v) { WriteNumber(names::kIec, v); }
  std::int32_t GetIecn() { return ReadNumber(names::kIecn); }
  void SetIecn(std::int32_t v) { WriteNumber(names::kIecn, v); }
  std::int32_t GetIed() { return ReadNumber(names::kIed); }
  void SetIed(std::int32_t v) { WriteNumber(names::kIed, v); }
  std::int32_t GetIen() { return ReadNumber(names::kIen); }
  void SetIen(std::int32_t v) { WriteNumber(names::kIen, v); }
  std::int32_t GetIes() { return ReadNumber(names::kIes); }
  void SetIes(std::int32_t v) { WriteNumber(names::kIes, v); }
  std::int32_t GetIet() { return ReadNumber(names::kIet); }
  void SetIet(std::int32_t v) { WriteNumber(names::kIet, v); }
  std::int32_t GetIeu() { return ReadNumber(names::kIeu); }
  void SetIeu(std::int32_t v) { WriteNumber(names::kIeu, v); }
  std::string GetSenderOid() { return ReadText(names::kSenderOid); }
  void SetSenderOid(const std::string& v) { WriteText(names::kSenderOid, v); }
  std::int32_t GetStripCrlf() { return ReadNumber(names::kStripCrlf); }
  void SetStripCrlf(std::int32_t v) { WriteNumber(names::kStripCrlf, v); }
  std::string GetSyslogHost() { return ReadText(names::kSyslogHost); }
  void SetSyslogHost(const std::string& v) { WriteText(names::kSyslogHost, v); }
  std::int32_t GetSyslogPort() { return ReadNumber(names::kSyslogPort); }
  void SetSyslogPort(std::int32_t v) { WriteNumber(names::kSyslogPort, v); }
  std::int32_t GetUseFilters() { return ReadNumber(names::kUseFilters); }
  void SetUseFilters(std::int32_t v) { WriteNumber(names::kUseFilters, v); }

 private:
  platform::RegStatus OpenPath(const std::string& path);
  // Deletes the subkey with this name of the current key; false when the
  // registry refused, so that clearing loops always end.
  bool DeleteSubkey(const std::string& name);
  // Deletes every entry of a numbered list key; the list key stays.
  void ClearList(const char* list);
  // Walks the entries of a list key in enumeration order until `matches`,
  // run on the opened entry, says yes. An entry whose values cannot be read
  // is skipped.
  FindResult FindEntry(const char* list, const std::function<bool()>& matches);
  // Adds an entry numbered by the list's size unless `find` finds a twin.
  bool AddEntry(const char* list, const std::function<FindResult()>& find,
                const std::function<void()>& write_values);

  platform::Registry& registry_;
  std::unique_ptr<platform::RegistryKey> key_;
  platform::RegStatus status_ = platform::kRegSuccess;
  bool create_ = false;
  std::optional<std::string> path_;
};

}  // namespace kivo::config
