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

// The positions kept for a restart, in the subkey "Positions" of the
// service's own key: one REG_BINARY value per log, named by the log, of 8
// bytes: the next record number, then the check value, each 32-bit
// little-endian. Each is written as one value, so a process that ends at
// any moment leaves either the old position or the new one.
class LogPositions {
 public:
  static constexpr char kSubkey[] = "Positions";

  // Opens (creating it) the "Positions" subkey of `service_key`, a path
  // below HKEY_LOCAL_MACHINE. `registry` must outlive the object.
  LogPositions(platform::Registry& registry, const std::string& service_key);

  // The position kept for a log; none when there is none or it is damaged.
  std::optional<LogPosition> Load(const char* log_name) const;
  // Keeps a log's position; a write that fails costs only the resume.
  void Save(const char* log_name, LogPosition position);

  // Removes every kept position: a start without resume forgets them, so a
  // later start with resume never goes back to a position this old.
  static void Forget(platform::Registry& registry, const std::string& service_key);

 private:
  std::unique_ptr<platform::RegistryKey> key_;
};

}  // namespace kivo::eventlog
