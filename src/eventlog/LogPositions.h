#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "platform/Registry.h"

namespace kivo::eventlog {

// Where reading of one log goes on: the number of the next record, and a
// check value of the record before it (0 when there is none to check). The
// check tells a log that was cleared and written again up to the same
// numbers from the log that was read.
struct LogPosition {
  std::uint32_t next_record = 0;
  std::uint32_t check = 0;
};

// A check value of a record's bytes (32-bit FNV-1a); never 0.
std::uint32_t RecordCheck(const unsigned char* bytes, std::uint32_t size);

// A log's kept position as it was found: none, a sound one, or a damaged
// value, with why it is damaged ("a value of 2 bytes, not 8").
struct KeptPosition {
  std::optional<LogPosition> position;
  std::string damage;
};

// The positions kept for a restart, in the key "Positions" of the store's
// root key, so that upgrades, the uninstall and a removal of the service
// keep them: one REG_BINARY value per log, named by the log, of 8 bytes:
// the next record number, then the check value, each 32-bit little-endian.
// Each is written as one value, so a process that ends at any moment leaves
// either the old position or the new one. Other values of the key are not
// the positions' own and are left alone.
//
// A key or value that cannot be written costs the resume only, and is
// reported in the trace file whatever "logging" says: once when writing
// starts to fail, with the registry's error, and once when it works again.
class LogPositions {
 public:
  static constexpr char kSubkey[] = "Positions";
  // The key's path below HKEY_LOCAL_MACHINE.
  static std::string KeyPath();

  // Sets the kept positions up for a start. Positions that earlier versions
  // kept under the service's own key `old_service_key` are taken over once
  // (for a log without one here), and that key is deleted. With `resume`,
  // the positions; without, none, and the logs' kept positions are
  // forgotten, so that a later start with resume never goes back to one
  // this old.
  static std::unique_ptr<LogPositions> ForStart(platform::Registry& registry,
                                                const std::string& old_service_key, bool resume);

  // Opens (creating it) the key. `registry` must outlive the object.
  explicit LogPositions(platform::Registry& registry);

  KeptPosition Load(const char* log_name) const;
  // A log's kept position, read without creating anything (for a report):
  // none when there is no key or no value.
  static KeptPosition Peek(platform::Registry& registry, const char* log_name);
  void Save(const char* log_name, LogPosition position);

 private:
  static KeptPosition LoadFrom(const platform::RegistryKey& key, const char* log_name);
  void TakeOver(const std::string& old_service_key);
  void Forget();
  // Creates the key when it is not open yet; false when it cannot be.
  bool OpenKey();
  // Notes the result of a write: the first failure and the first success
  // after failures are traced.
  void Note(platform::RegStatus status);

  platform::Registry& registry_;
  std::unique_ptr<platform::RegistryKey> key_;
  bool failing_ = false;
};

}  // namespace kivo::eventlog
