#pragma once

#include <cstdint>
#include <mutex>
#include <string>

#include "platform/EventReporter.h"

namespace kivo::service {

// Ids of the service's own messages (the message table compiled into the
// program must carry the same ids).
namespace messages {
constexpr std::uint32_t kInstalled = 100;
constexpr std::uint32_t kRemoved = 101;
constexpr std::uint32_t kNotRemoved = 102;
constexpr std::uint32_t kNoControlHandler = 103;
constexpr std::uint32_t kInitializationFailed = 104;
constexpr std::uint32_t kStarted = 105;
constexpr std::uint32_t kUnsupportedRequest = 106;
constexpr std::uint32_t kStopped = 108;
// 109 and up: the run loop's own (forwarding/LoopHost.h).
}  // namespace messages

// The service's own messages in the Application event log, under an event
// source of the service's name. The source is registered on first use and
// held until this object goes; while it cannot be registered, messages are
// lost and nothing else happens. Both of the service's threads report.
class ServiceEventSource {
 public:
  ServiceEventSource(platform::EventReporter& reporter, std::string name);
  ~ServiceEventSource();
  ServiceEventSource(const ServiceEventSource&) = delete;
  ServiceEventSource& operator=(const ServiceEventSource&) = delete;

  // Reports one message; null strings are absent, and the strings end at the
  // first absent one.
  void Report(std::uint16_t type, std::uint32_t id, const char* s1 = nullptr,
              const char* s2 = nullptr, const char* s3 = nullptr);

 private:
  bool Register();

  platform::EventReporter& reporter_;
  const std::string name_;
  std::mutex mutex_;
  platform::EventReporter::Handle source_ = 0;
};

}  // namespace kivo::service
