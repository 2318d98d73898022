#include "tool/ServiceStarter.h"

#include <gtest/gtest.h>

#include <optional>

#include "platform/fake/FakeServiceManager.h"

namespace kivo::tool {
namespace {

using platform::FakeServiceManager;
using platform::ServiceManager;

TEST(ServiceStarter, StartsTheServiceOnlyWhenInstalledAndNotRunning) {
  const struct {
    const char* name;
    std::optional<std::uint32_t> installed;
    std::uint32_t open_manager_error, query_error;
    int start_requests;
    std::uint32_t last_error;
  } cases[] = {
      {"not installed", std::nullopt, 0, 0, 0, platform::kErrorServiceDoesNotExist},
      {"stopped", ServiceManager::kStopped, 0, 0, 1, 0},
      {"running", ServiceManager::kRunning, 0, 0, 0, 0},
      {"start pending", ServiceManager::kStartPending, 0, 0, 1, 0},
      {"query fails", ServiceManager::kRunning, 0, 5, 1, 0},
      {"manager unreachable", ServiceManager::kStopped, 5, 0, 0, 5},
  };
  for (const auto& c : cases) {
    FakeServiceManager manager;
    if (c.installed) {
      ServiceManager::Definition kivo;
      kivo.name = "Kivo";  // service names are not case-sensitive
      kivo.display_name = "Kivo";
      manager.AddService(kivo);
      manager.SetServiceState("kivo", *c.installed);
    }
    manager.set_open_manager_error(c.open_manager_error);
    manager.set_query_status_error(c.query_error);
    {
      ServiceStarter starter(manager);
      starter.EnsureRunning();
      EXPECT_EQ(c.last_error, starter.last_error()) << c.name;
    }
    EXPECT_EQ(c.start_requests, manager.StartRequests("kivo")) << c.name;
    if (c.installed && c.start_requests == 0) {  // neither started nor restarted
      EXPECT_EQ(*c.installed, manager.ServiceState("kivo")) << c.name;
    }
    EXPECT_EQ(0, manager.open_handles()) << c.name;
  }
}

}  // namespace
}  // namespace kivo::tool
