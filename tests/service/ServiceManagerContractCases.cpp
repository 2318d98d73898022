#include "service/ServiceManagerContract.h"

#include "platform/fake/FakeEventReporter.h"
#include "platform/fake/FakeServiceManager.h"

namespace kivo::testing {

using platform::ServiceManager;

std::unique_ptr<ServiceManager> MakeFakeServiceManager() {
  return std::make_unique<platform::FakeServiceManager>();
}
std::unique_ptr<platform::EventReporter> MakeFakeEventReporter() {
  return std::make_unique<platform::FakeEventReporter>();
}

TEST_P(ServiceManagerContract, AMissingServiceCannotBeOpened) {
  EXPECT_EQ(0u, manager_->Open(database_, kService, ServiceManager::kQueryConfig));
  EXPECT_EQ(platform::kErrorServiceDoesNotExist, manager_->LastError());
}

TEST_P(ServiceManagerContract, ACreatedServiceOpensByAnyCaseAndCannotBeCreatedTwice) {
  const auto created = manager_->Create(database_, Probe());
  ASSERT_NE(0u, created);
  const auto opened = manager_->Open(database_, "kivocontractPROBE", ServiceManager::kQueryConfig);
  EXPECT_NE(0u, opened);
  EXPECT_EQ(0u, manager_->Create(database_, Probe()));
  EXPECT_EQ(platform::kErrorServiceExists, manager_->LastError());
  manager_->Close(opened);
  manager_->Close(created);
}

TEST_P(ServiceManagerContract, DeletionNeedsDeleteAccessAndEndsWithTheLastHandle) {
  manager_->Close(manager_->Create(database_, Probe()));
  const auto query_only = manager_->Open(database_, kService, ServiceManager::kQueryConfig);
  ASSERT_NE(0u, query_only);
  EXPECT_FALSE(manager_->Delete(query_only));
  EXPECT_EQ(platform::kErrorAccessDenied, manager_->LastError());
  manager_->Close(query_only);

  const auto deletable = manager_->Open(database_, kService, ServiceManager::kDeleteAccess);
  ASSERT_NE(0u, deletable);
  EXPECT_TRUE(manager_->Delete(deletable));
  EXPECT_FALSE(manager_->Delete(deletable));
  EXPECT_EQ(platform::kErrorServiceMarkedForDelete, manager_->LastError());
  manager_->Close(deletable);
  EXPECT_EQ(0u, manager_->Open(database_, kService, ServiceManager::kQueryConfig));
  EXPECT_EQ(platform::kErrorServiceDoesNotExist, manager_->LastError());
}

TEST_P(ServiceManagerContract, ACreatedServiceIsStoppedAndItsStatusNeedsQueryAccess) {
  manager_->Close(manager_->Create(database_, Probe()));
  const auto service = manager_->Open(database_, kService, ServiceManager::kAllAccess);
  ASSERT_NE(0u, service);
  ServiceManager::Status status;
  EXPECT_TRUE(manager_->QueryStatus(service, &status));
  EXPECT_EQ(ServiceManager::kStopped, status.current_state);
  EXPECT_EQ(ServiceManager::kOwnProcess, status.service_type);
  manager_->Close(service);

  const auto config_only = manager_->Open(database_, kService, ServiceManager::kQueryConfig);
  ASSERT_NE(0u, config_only);
  EXPECT_FALSE(manager_->QueryStatus(config_only, &status));
  EXPECT_EQ(platform::kErrorAccessDenied, manager_->LastError());
  EXPECT_FALSE(manager_->Start(config_only));
  EXPECT_EQ(5u, manager_->LastError());
  manager_->Close(config_only);
}

TEST_P(ServiceManagerContract, ConnectingWithoutRightsIsEnoughToOpenAService) {
  const auto database = manager_->OpenManager(ServiceManager::kManagerConnectOnly);
  ASSERT_NE(0u, database);
  manager_->Close(manager_->Create(database_, Probe()));
  const auto service = manager_->Open(database, kService, ServiceManager::kAllAccess);
  EXPECT_NE(0u, service);
  manager_->Close(service);
  manager_->Close(database);
}

TEST_P(ServiceManagerContract, EventsAreReportedThroughARegisteredSource) {
  auto events = GetParam().events();
  const auto source = events->RegisterSource(kService);
  ASSERT_NE(0u, source);
  EXPECT_TRUE(events->Report(source, platform::EventReporter::kInformation, 0, 105, {}));
  EXPECT_TRUE(events->Report(source, platform::EventReporter::kError, 0, 102, {"kivo"}));
  events->DeregisterSource(source);
}

INSTANTIATE_TEST_SUITE_P(Fake, ServiceManagerContract,
                         ::testing::Values(ServicePlatformFactory{
                             "InMemory", &MakeFakeServiceManager, &MakeFakeEventReporter}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace kivo::testing
