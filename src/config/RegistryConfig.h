#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "config/SyslogOptions.h"
#include "platform/Registry.h"

namespace kivo::config {

// Names of the store's keys and values, shared by the service and the tool.
namespace names {
constexpr char kRootPath[] = "SOFTWARE\\Tarvenor\\Kivo";
constexpr char kFilters[] = "Filters";
constexpr char kMaps[] = "Maps";
constexpr char kSyslog[] = "Syslog";
// The stored secrets (DPAPI blobs): the SNMPv3 user's passphrases.
constexpr char kSecretsPath[] = "SOFTWARE\\Tarvenor\\Kivo\\Secrets";

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
// SNMPv3 and informs.
constexpr char kInform[] = "inform";
constexpr char kV3User[] = "v3user";
constexpr char kV3Level[] = "v3level";
constexpr char kV3Auth[] = "v3auth";
constexpr char kV3Priv[] = "v3priv";

constexpr char kFilterOn[] = "filterOn";
constexpr char kFilterType[] = "filterType";
constexpr char kFilterList[] = "filterList";

constexpr char kUseFilters[] = "usefilters";
constexpr char kSyslogHost[] = "sysloghost";
constexpr char kSyslogPort[] = "syslogport";
// The optional values of a syslog destination (SyslogOptions).
constexpr char kSyslogProtocol[] = "protocol";
constexpr char kSyslogFormat[] = "format";
constexpr char kSyslogTlsName[] = "tlsname";
constexpr char kSyslogTlsCa[] = "tlsca";

// Every value of the store, in the root key, a list key or an entry: what
// the package puts back when an install is rolled back.
constexpr const char* kAllValues[] = {kVersion,      kDestination,   kPort,       kCommunity,
                                      kLogging,      kIen,           kIet,        kIes,
                                      kIecn,         kIeu,           kIed,        kIec,
                                      kSenderOid,    kStripCrlf,     kBurst,      kResume,
                                      kInform,       kV3User,        kV3Level,    kV3Auth,
                                      kV3Priv,       kFilterOn,      kFilterType, kFilterList,
                                      kUseFilters,   kSyslogHost,    kSyslogPort, kSyslogProtocol,
                                      kSyslogFormat, kSyslogTlsName, kSyslogTlsCa};
// Every value of a syslog destination entry, in the order an add writes them.
constexpr const char* kSyslogEntryValues[] = {kSyslogHost,   kSyslogPort,    kSyslogProtocol,
                                              kSyslogFormat, kSyslogTlsName, kSyslogTlsCa};
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

// What `read` gives, or nothing when the read fails.
template <typename Read>
auto TryRead(Read read) -> std::optional<decltype(read())> {
  try {
    return read();
  } catch (const RegistryReadError&) {
    return std::nullopt;
  }
}

// Keeps the first failure of a run of writes, so that a caller can make them
// all in their order and report one result.
class WriteResult {
 public:
  void Add(platform::RegStatus result) {
    if (error_ == platform::kRegSuccess) error_ = result;
  }
  platform::RegStatus error() const { return error_; }

 private:
  platform::RegStatus error_ = platform::kRegSuccess;
};

// A value exactly as the registry holds it, whatever its type and size.
struct StoredValue {
  std::string name;
  platform::RegType type = platform::RegType::kNone;
  std::vector<unsigned char> bytes;
};
using StoredValues = std::vector<StoredValue>;

// The values of these names in a key, exactly as stored; a missing one is
// left out.
StoredValues ReadStoredValues(const platform::RegistryKey& key,
                              const std::vector<const char*>& value_names);
// Writes the values into a key; the first failure.
platform::RegStatus WriteStoredValues(platform::RegistryKey& key, const StoredValues& values);

// The number a list entry's subkey name stands for: a decimal number as
// OpenEntry writes it (no sign, no leading zero) that fits 32 bits; none for
// any other name.
std::optional<std::int32_t> EntryNumber(const std::string& name);

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
  // What an add did: written; refused as a twin of a stored entry (nothing
  // written, no error); or failed with the registry's error.
  struct AddResult {
    bool written = false;
    platform::RegStatus error = platform::kRegSuccess;
    explicit operator bool() const { return written; }
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
  // Writes report the registry's result; into a key that is not open they
  // write nothing and report why the key could not be opened.
  platform::RegStatus WriteText(const char* value_name, const std::string& text);
  platform::RegStatus WriteNumber(const char* value_name, std::int32_t number);
  std::uint32_t CountSubkeys() const;
  std::string SubkeyName(std::uint32_t index) const;
  // The names of the first `count` subkeys of the current key (the count
  // CountSubkeys gave) in the order a list is read: the numbered entries
  // ascending (the registry enumerates "10" before "2"), then any other name
  // in enumeration order.
  std::vector<std::string> EntryNames(std::uint32_t count) const;

  // Creates the default configuration; the result of creating the root key.
  platform::RegStatus CreateDefaults();
  bool MapExists(std::int32_t event_id);

  FindResult FindFilter(const std::string& on, const std::string& type);
  // Adds a filter unless one of the same field and type is stored: what an
  // import adds to the stored filters.
  AddResult AddFilter(const std::string& on, const std::string& type, const std::string& list);
  // Adds a filter whatever is stored: the Filters page stores every row.
  AddResult AppendFilter(const std::string& on, const std::string& type, const std::string& list);
  platform::RegStatus ClearFilters();
  // A syslog destination matches one stored with the same host (exact
  // comparison), port and optional values.
  FindResult FindSyslogHost(const std::string& host, std::int32_t port,
                            const SyslogOptions& options = {});
  // Adds the destination unless a twin is stored; of the optional values
  // only those present are written.
  AddResult AddSyslogHost(const std::string& host, std::int32_t port,
                          const SyslogOptions& options = {});
  platform::RegStatus ClearSyslogHosts();
  platform::RegStatus AddMap(std::int32_t event_id);
  platform::RegStatus ClearMaps();

  // The values of these names in the current key, exactly as stored (a
  // missing one is left out): what the tool keeps of an entry it cannot read.
  StoredValues ReadStoredValues(const std::vector<const char*>& value_names) const;
  // Adds an entry that holds exactly these values.
  platform::RegStatus AddStoredEntry(const char* list, const StoredValues& values);

  // True while the object holds an open key (the last Open or OpenEntry
  // succeeded).
  bool IsOpen() const { return key_ != nullptr; }
  // Why no key is open (what a write then reports); kRegSuccess while one is.
  platform::RegStatus OpenError() const { return key_ ? platform::kRegSuccess : NotOpenError(); }
  void set_create(bool create) { create_ = create; }

  // Named accessors of the values of the key opened last.
  std::int32_t GetSnmpVersion() { return ReadNumber(names::kVersion); }
  platform::RegStatus SetSnmpVersion(std::int32_t v) { return WriteNumber(names::kVersion, v); }
  std::string GetDestination() { return ReadText(names::kDestination); }
  platform::RegStatus SetDestination(const std::string& v) {
    return WriteText(names::kDestination, v);
  }
  std::int32_t GetPort() { return ReadNumber(names::kPort); }
  platform::RegStatus SetPort(std::int32_t v) { return WriteNumber(names::kPort, v); }
  std::string GetCommunity() { return ReadText(names::kCommunity); }
  platform::RegStatus SetCommunity(const std::string& v) { return WriteText(names::kCommunity, v); }
  std::string GetFilterOn() { return ReadText(names::kFilterOn); }
  platform::RegStatus SetFilterOn(const std::string& v) { return WriteText(names::kFilterOn, v); }
  std::string GetFilterType() { return ReadText(names::kFilterType); }
  platform::RegStatus SetFilterType(const std::string& v) {
    return WriteText(names::kFilterType, v);
  }
  std::string GetFilterList() { return ReadText(names::kFilterList); }
  platform::RegStatus SetFilterList(const std::string& v) {
    return WriteText(names::kFilterList, v);
  }
  std::int32_t GetLogging() { return ReadNumber(names::kLogging); }
  platform::RegStatus SetLogging(std::int32_t v) { return WriteNumber(names::kLogging, v); }
  std::int32_t GetIec() { return ReadNumber(names::kIec); }
  platform::RegStatus SetIec(std::int32_t v) { return WriteNumber(names::kIec, v); }
  std::int32_t GetIecn() { return ReadNumber(names::kIecn); }
  platform::RegStatus SetIecn(std::int32_t v) { return WriteNumber(names::kIecn, v); }
  std::int32_t GetIed() { return ReadNumber(names::kIed); }
  platform::RegStatus SetIed(std::int32_t v) { return WriteNumber(names::kIed, v); }
  std::int32_t GetIen() { return ReadNumber(names::kIen); }
  platform::RegStatus SetIen(std::int32_t v) { return WriteNumber(names::kIen, v); }
  std::int32_t GetIes() { return ReadNumber(names::kIes); }
  platform::RegStatus SetIes(std::int32_t v) { return WriteNumber(names::kIes, v); }
  std::int32_t GetIet() { return ReadNumber(names::kIet); }
  platform::RegStatus SetIet(std::int32_t v) { return WriteNumber(names::kIet, v); }
  std::int32_t GetIeu() { return ReadNumber(names::kIeu); }
  platform::RegStatus SetIeu(std::int32_t v) { return WriteNumber(names::kIeu, v); }
  std::string GetSenderOid() { return ReadText(names::kSenderOid); }
  platform::RegStatus SetSenderOid(const std::string& v) { return WriteText(names::kSenderOid, v); }
  std::int32_t GetStripCrlf() { return ReadNumber(names::kStripCrlf); }
  platform::RegStatus SetStripCrlf(std::int32_t v) { return WriteNumber(names::kStripCrlf, v); }
  std::string GetSyslogHost() { return ReadText(names::kSyslogHost); }
  platform::RegStatus SetSyslogHost(const std::string& v) {
    return WriteText(names::kSyslogHost, v);
  }
  std::int32_t GetSyslogPort() { return ReadNumber(names::kSyslogPort); }
  platform::RegStatus SetSyslogPort(std::int32_t v) { return WriteNumber(names::kSyslogPort, v); }
  std::int32_t GetUseFilters() { return ReadNumber(names::kUseFilters); }
  platform::RegStatus SetUseFilters(std::int32_t v) { return WriteNumber(names::kUseFilters, v); }

 private:
  platform::RegStatus OpenPath(const std::string& path);
  // Why a write into no open key fails: the failure of the last open.
  platform::RegStatus NotOpenError() const;
  platform::RegStatus DeleteSubkey(const std::string& name);
  // Opens a list key to clear it; a key that does not exist is success.
  platform::RegStatus OpenToClear(const char* list);
  // Deletes every entry of a numbered list key; the list key stays.
  platform::RegStatus ClearList(const char* list);
  // Walks the entries of a list key in enumeration order until `matches`,
  // run on the opened entry, says yes. An entry whose values cannot be read
  // is skipped.
  FindResult FindEntry(const char* list, const std::function<bool()>& matches);
  // Creates and opens a new entry of a list key (creating the list key too),
  // numbered by the list's size or, where that number is taken, the next
  // free one.
  platform::RegStatus OpenNewEntry(const char* list);
  // Adds a new entry and writes its values.
  AddResult AddEntry(const char* list, const std::function<platform::RegStatus()>& write_values);

  platform::Registry& registry_;
  std::unique_ptr<platform::RegistryKey> key_;
  platform::RegStatus status_ = platform::kRegSuccess;
  bool create_ = false;
  std::optional<std::string> path_;
};

}  // namespace kivo::config
