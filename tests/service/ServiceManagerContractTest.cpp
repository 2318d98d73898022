// Behaviour of the service control manager and the event log that the
// service host and the tool rely on. The same cases run against the fakes
// natively and, in the Windows build, against the real ones under Wine, so
// the fakes cannot drift from the platform.

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "platform/fake/FakeEventReporter.h"
#include "platform/fake/FakeServiceManager.h"
#ifdef _WIN32
#include "platform/win32/Win32EventReporter.h"
#include "platform/win32/Win32ServiceManager.h"
#endif

namespace kivo::testing {
namespace {

using platform::ServiceManager;

struct ServicePlatformFactory {
  const char* name;
  std::unique_ptr<ServiceManager> (*manager)();
  std::unique_ptr<platform::EventReporter> (*events)();
};

class ServiceManagerContract : public ::testing::TestWithParam<ServicePlatformFactory> {
 protected:
  static constexpr char kService[] = "KivoContractProbe";

  void SetUp() override {
    manager_ = GetParam().manager();
    database_ = manager_->OpenManager(ServiceManager::kManagerAllAccess);
    ASSERT_NE(0u, database_);
    RemoveProbe();
  }
  void TearDown() override {
    RemoveProbe();
    manager_->Close(database_);
  }

  void CreateProbe() {
    ServiceManager::Definition probe;
    probe.name = probe.display_name = kService;
    probe.start_type = 3;  // started on demand only
    probe.command_line = "\"C:\\windows\\system32\\kivo-contract-probe.exe\"";
    manager_->Close(manager_->Create(database_, probe));
  }
  void RemoveProbe() {
    const auto service = manager_->Open(database_, kService, ServiceManager::kDeleteAccess);
    if (service != 0) manager_->Delete(service);
    manager_->Close(service);
  }

  std::unique_ptr<ServiceManager> manager_;
  ServiceManager::Handle database_ = 0;
};

// The installer opens with DELETE access; the tool connects only, and opens
// the service with all access to query and start it.
TEST_P(ServiceManagerContract, ACreatedServiceOpensReportsStoppedAndGoesWithItsLastHandle) {
  EXPECT_EQ(0u, manager_->Open(database_, kService, ServiceManager::kQueryConfig));
  EXPECT_EQ(platform::kErrorServiceDoesNotExist, manager_->LastError());
  CreateProbe();
  const auto database = manager_->OpenManager(ServiceManager::kManagerConnectOnly);
  ASSERT_NE(0u, database);
  const auto service = manager_->Open(database, kService, ServiceManager::kAllAccess);
  ASSERT_NE(0u, service);
  ServiceManager::Status status;
  EXPECT_TRUE(manager_->QueryStatus(service, &status));
  EXPECT_EQ(ServiceManager::kStopped, status.current_state);
  EXPECT_EQ(ServiceManager::kOwnProcess, status.service_type);
  manager_->Close(service);
  manager_->Close(database);

  const auto deletable = manager_->Open(database_, kService, ServiceManager::kDeleteAccess);
  ASSERT_NE(0u, deletable);
  EXPECT_TRUE(manager_->Delete(deletable));
  manager_->Close(deletable);
  EXPECT_EQ(0u, manager_->Open(database_, kService, ServiceManager::kQueryConfig));
  EXPECT_EQ(platform::kErrorServiceDoesNotExist, manager_->LastError());
}

TEST_P(ServiceManagerContract, EventsAreReportedThroughARegisteredSource) {
  auto events = GetParam().events();
  const auto source = events->RegisterSource(kService);
  ASSERT_NE(0u, source);
  EXPECT_TRUE(events->Report(source, platform::EventReporter::kInformation, 0, 105, {}));
  EXPECT_TRUE(events->Report(source, platform::EventReporter::kError, 0, 102, {"kivo"}));
  events->DeregisterSource(source);
}

template <typename Manager, typename Reporter>
ServicePlatformFactory Factory(const char* name) {
  return {name, [] { return std::unique_ptr<ServiceManager>(std::make_unique<Manager>()); },
          [] { return std::unique_ptr<platform::EventReporter>(std::make_unique<Reporter>()); }};
}

INSTANTIATE_TEST_SUITE_P(Fake, ServiceManagerContract,
                         ::testing::Values(Factory<platform::FakeServiceManager,
                                                   platform::FakeEventReporter>("InMemory")),
                         [](const auto& info) { return std::string(info.param.name); });
#ifdef _WIN32
INSTANTIATE_TEST_SUITE_P(Win32, ServiceManagerContract,
                         ::testing::Values(Factory<platform::Win32ServiceManager,
                                                   platform::Win32EventReporter>("Win32")),
                         [](const auto& info) { return std::string(info.param.name); });
#endif

}  // namespace
}  // namespace kivo::testing
