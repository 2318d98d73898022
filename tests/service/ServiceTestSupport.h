#pragma once

#include <sstream>
#include <string>

#include "platform/fake/FakeEventReporter.h"
#include "platform/fake/FakeRegistry.h"
#include "platform/fake/FakeServiceManager.h"
#include "service/ServiceHost.h"

namespace kivo::testing {

// The service host's machine, all in memory.
struct FakeServiceMachine {
  platform::FakeServiceManager manager;
  platform::FakeEventReporter events;
  platform::FakeRegistry registry;
  std::ostringstream out;

  service::ServicePlatform platform() { return {manager, events, registry, out}; }

  // A number or text value, or "" / -1 when it is missing.
  std::string ReadText(const std::string& key, const std::string& name,
                       platform::RegType* type = nullptr);
  std::int64_t ReadNumber(const std::string& key, const std::string& name);
  void WriteNumber(const std::string& key, const std::string& name, std::int32_t value);
  void WriteText(const std::string& key, const std::string& name, const std::string& text);
};

constexpr char kEventSourceKey[] =
    "SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application\\kivo";
constexpr char kParametersKey[] = "SYSTEM\\CurrentControlSet\\Services\\kivo\\Parameters";
constexpr char kStatusKey[] = "SYSTEM\\CurrentControlSet\\Services\\kivo\\Status";

}  // namespace kivo::testing
