#include "tool/ServiceStarter.h"

#include <gtest/gtest.h>

#include <optional>

#include "platform/fake/FakeServiceControl.h"

namespace kivo::tool {
namespace {

using platform::FakeServiceControl;
using platform::ServiceState;

TEST(ServiceStarter, StartsTheServiceOnlyWhenInstalledAndNotRunning) {
  const struct {
    const char* name;
    std::optional<ServiceState> installed;
    platform::ServiceError query_error;
    int start_requests;
    platform::ServiceError last_error;
  } cases[] = {
      {"not installed", std::nullopt, 0, 0, platform::kServiceDoesNotExist},
      {"stopped", ServiceState::kStopped, 0, 1, 0},
      {"running", ServiceState::kRunning, 0, 0, 0},
      {"start pending", ServiceState::kStartPending, 0, 1, 0},
      {"query fails", ServiceState::kRunning, platform::kServiceAccessDenied, 1, 0},
  };
  for (const auto& c : cases) {
    FakeServiceControl control;
    FakeServiceControl::InstalledService* service = nullptr;
    if (c.installed) {
      service = &control.Install("Kivo", *c.installed);
      service->query_error = c.query_error;
    }
    {
      ServiceStarter starter(control);
      starter.EnsureRunning();
      EXPECT_EQ(c.last_error, starter.last_error()) << c.name;
      if (service) {
        EXPECT_EQ(c.start_requests, service->start_requests) << c.name;
      }
    }
    EXPECT_EQ(0, control.open_handles()) << c.name;
    EXPECT_EQ(c.installed ? "kivo,manager" : "manager", control.close_log()) << c.name;
  }
}

TEST(ServiceStarter, UnreachableManagerIsRecordedAndNothingElseHappens) {
  FakeServiceControl control;
  auto& service = control.Install("kivo", ServiceState::kStopped);
  control.set_connect_error(platform::kServiceAccessDenied);
  {
    ServiceStarter starter(control);
    starter.EnsureRunning();
    EXPECT_EQ(platform::kServiceAccessDenied, starter.last_error());
  }
  EXPECT_EQ(0, service.start_requests);
  EXPECT_EQ(0, control.open_handles());
}

}  // namespace
}  // namespace kivo::tool
