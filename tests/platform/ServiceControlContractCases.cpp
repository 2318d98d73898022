#include "platform/ServiceControlContract.h"
#include "platform/fake/FakeServiceControl.h"

namespace kivo::testing {

using platform::service_access::kManagerConnectOnly;
using platform::service_access::kServiceAll;

TEST_P(ServiceControlContract, ConnectingWithoutRightsSucceeds) {
  std::unique_ptr<platform::ServiceManager> manager;
  EXPECT_EQ(platform::kServiceSuccess, control_->Connect(kManagerConnectOnly, &manager));
  EXPECT_NE(nullptr, manager);
}

TEST_P(ServiceControlContract, ServiceThatIsNotInstalledCannotBeOpened) {
  std::unique_ptr<platform::ServiceManager> manager;
  ASSERT_EQ(platform::kServiceSuccess, control_->Connect(kManagerConnectOnly, &manager));
  std::unique_ptr<platform::Service> service;
  EXPECT_EQ(platform::kServiceDoesNotExist,
            manager->Open("kivo-contract-not-installed", kServiceAll, &service));
  EXPECT_EQ(nullptr, service);
}

namespace {
std::unique_ptr<platform::ServiceControl> MakeFakeServiceControl() {
  return std::make_unique<platform::FakeServiceControl>();
}
}  // namespace

INSTANTIATE_TEST_SUITE_P(Fake, ServiceControlContract, ::testing::Values(&MakeFakeServiceControl),
                         [](const auto&) { return std::string("InMemory"); });

}  // namespace kivo::testing
