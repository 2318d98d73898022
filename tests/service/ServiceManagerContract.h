#pragma once

// Behaviour of the service control manager and the event log that the
// service host relies on. The same cases run against the fakes natively and,
// in the Windows build, against the real ones under Wine, so the fakes cannot
// drift from the platform.

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "platform/EventReporter.h"
#include "platform/ServiceManager.h"

namespace kivo::testing {

struct ServicePlatformFactory {
  const char* name;
  std::unique_ptr<platform::ServiceManager> (*manager)();
  std::unique_ptr<platform::EventReporter> (*events)();
};

class ServiceManagerContract : public ::testing::TestWithParam<ServicePlatformFactory> {
 protected:
  static constexpr char kService[] = "KivoContractProbe";

  void SetUp() override {
    manager_ = GetParam().manager();
    RemoveProbe();
    database_ = manager_->OpenManager(platform::ServiceManager::kManagerAllAccess);
    ASSERT_NE(0u, database_);
  }
  void TearDown() override {
    if (database_ != 0) manager_->Close(database_);
    RemoveProbe();
  }

  platform::ServiceManager::Definition Probe() const {
    platform::ServiceManager::Definition probe;
    probe.name = kService;
    probe.display_name = kService;
    probe.start_type = 3;  // started on demand only
    probe.command_line = "\"C:\\windows\\system32\\kivo-contract-probe.exe\"";
    return probe;
  }

  void RemoveProbe() {
    const auto database = manager_->OpenManager(platform::ServiceManager::kManagerAllAccess);
    if (database == 0) return;
    const auto service =
        manager_->Open(database, kService, platform::ServiceManager::kDeleteAccess);
    if (service != 0) {
      manager_->Delete(service);
      manager_->Close(service);
    }
    manager_->Close(database);
  }

  std::unique_ptr<platform::ServiceManager> manager_;
  platform::ServiceManager::Handle database_ = 0;
};

std::unique_ptr<platform::ServiceManager> MakeFakeServiceManager();
std::unique_ptr<platform::EventReporter> MakeFakeEventReporter();

}  // namespace kivo::testing
