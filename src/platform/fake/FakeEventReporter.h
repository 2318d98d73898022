#pragma once

#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "platform/EventReporter.h"

namespace kivo::platform {

// An event log that keeps what was reported to it, for tests. Registration
// can be told to fail.
class FakeEventReporter : public EventReporter {
 public:
  struct Event {
    std::string source;
    std::uint16_t type = 0;
    std::uint16_t category = 0;
    std::uint32_t id = 0;
    std::vector<std::string> strings;
  };

  void set_register_fails(bool fails) { register_fails_ = fails; }
  std::vector<Event> events() const;
  std::vector<std::uint32_t> ids() const;
  int registrations() const;
  int open_sources() const;

  Handle RegisterSource(const std::string& source) override;
  bool Report(Handle source, std::uint16_t type, std::uint16_t category, std::uint32_t id,
              const std::vector<std::string>& strings) override;
  void DeregisterSource(Handle source) override;

 private:
  mutable std::mutex mutex_;
  bool register_fails_ = false;
  std::vector<std::string> sources_;  // by handle - 1; empty once deregistered
  std::vector<Event> events_;
};

}  // namespace kivo::platform
