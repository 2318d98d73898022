#include "tool/ServiceStarter.h"

#include <gtest/gtest.h>

#include <optional>

#include "platform/fake/FakeServiceManager.h"

namespace kivo::tool {
namespace {

using platform::FakeServiceManager;
using platform::ServiceManager;

void InstallKivo(FakeServiceManager& manager, std::uint32_t state) {
  ServiceManager::Definition kivo;
  kivo.name = "Kivo";
  kivo.display_name = "Kivo";
  manager.AddService(kivo);
  manager.SetServiceState("kivo", state);
}

TEST(ServiceStarter, StartsTheServiceOnlyWhenInstalledAndNotRunning) {
  const struct {
    const char* name;
    std::optional<std::uint32_t> installed;
    std::uint32_t query_error;
    int start_requests;
    std::uint32_t last_error;
  } cases[] = {
      {"not installed", std::nullopt, 0, 0, platform::kErrorServiceDoesNotExist},
      {"stopped", ServiceManager::kStopped, 0, 1, 0},
      {"running", ServiceManager::kRunning, 0, 0, 0},
      {"start pending", ServiceManager::kStartPending, 0, 1, 0},
      {"query fails", ServiceManager::kRunning, 5, 1, 0},
  };
  for (const auto& c : cases) {
    FakeServiceManager manager;
    if (c.installed) InstallKivo(manager, *c.installed);
    manager.set_query_status_error(c.query_error);
    {
      ServiceStarter starter(manager);
      starter.EnsureRunning();
      EXPECT_EQ(c.last_error, starter.last_error()) << c.name;
    }
    EXPECT_EQ(c.start_requests, manager.StartRequests("kivo")) << c.name;
    EXPECT_EQ(0, manager.open_handles()) << c.name;
  }
}

TEST(ServiceStarter, UnreachableManagerIsRecordedAndNothingElseHappens) {
  FakeServiceManager manager;
  InstallKivo(manager, ServiceManager::kStopped);
  manager.set_open_manager_error(5);
  {
    ServiceStarter starter(manager);
    starter.EnsureRunning();
    EXPECT_EQ(5u, starter.last_error());
  }
  EXPECT_EQ(0, manager.StartRequests("kivo"));
  EXPECT_EQ(ServiceManager::kStopped, manager.ServiceState("kivo"));
  EXPECT_EQ(0, manager.open_handles());
}

}  // namespace
}  // namespace kivo::tool
