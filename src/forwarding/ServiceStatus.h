#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/Registry.h"

namespace kivo::forwarding {

// What the running service tells about itself, for `kivo -s`: how far it
// has read each log, the event it holds (if any), and how each destination
// fares. Published at most once a second as the REG_SZ value "Status" of
// HKLM\SOFTWARE\Tarvenor\Kivo\Positions (the kept positions' key,
// eventlog::LogPositions::KeyPath()), one line per item, fields
// separated by tabs (texts have their tabs and line breaks replaced by
// blanks):
//
//   kivo status 1
//   published <calendar seconds>  running <1 while the service runs, 0 once it stopped>
//   log <name> <1 when read, 0 when not> <number of the first record not yet forwarded>
//   held <log name> <record number> <seconds until the next try>
//   destination <trap|syslog> <entry number> <working|failing> <failing since, calendar
//     seconds, 0 while working> <sends that went out> <sends that failed> <label> <last error>
//
// (one line each, the "held" line only while an event is held). Lines of
// other kinds are for later versions and are skipped by a reader.
struct ServiceStatus {
  static constexpr char kValueName[] = "Status";

  struct Log {
    std::string name;
    bool read = false;
    std::uint32_t next_record = 0;
  };
  struct Held {
    std::string log;
    std::uint32_t record = 0;
    std::uint32_t next_try_seconds = 0;
  };
  struct Destination {
    std::string kind;  // "trap" or "syslog"
    std::int32_t number = 0;
    bool failing = false;
    std::int64_t failing_since = 0;
    std::uint64_t sent = 0;
    std::uint64_t failed = 0;
    std::string label;
    std::string last_error;
  };

  std::int64_t published = 0;
  bool running = false;
  std::vector<Log> logs;
  std::optional<Held> held;
  std::vector<Destination> destinations;

  std::string Encode() const;
  // None for a text that is not a status of this format.
  static std::optional<ServiceStatus> Decode(const std::string& text);
};

// Writes the status into the store at most once a second (the calendar
// second of `published`), or at once when forced (the service stops). A
// write that fails costs only this publication.
class StatusPublisher {
 public:
  // `registry` must outlive the publisher.
  explicit StatusPublisher(platform::Registry& registry) : registry_(registry) {}

  // True when this second has not been published yet (or `force`).
  bool Due(std::int64_t now, bool force = false) const { return force || !last_ || *last_ != now; }
  void Publish(const ServiceStatus& status);

 private:
  platform::Registry& registry_;
  std::optional<std::int64_t> last_;
};

// The status the service published last; none when there is none or it
// cannot be read.
std::optional<ServiceStatus> ReadPublishedStatus(platform::Registry& registry);

}  // namespace kivo::forwarding
