#pragma once

// What the tool relies on from the service control manager, run against the
// in-memory manager natively and against the real one under Wine.

#include <gtest/gtest.h>

#include <memory>

#include "platform/ServiceControl.h"

namespace kivo::testing {

using ServiceControlFactory = std::unique_ptr<platform::ServiceControl> (*)();

class ServiceControlContract : public ::testing::TestWithParam<ServiceControlFactory> {
 protected:
  void SetUp() override { control_ = GetParam()(); }
  std::unique_ptr<platform::ServiceControl> control_;
};

}  // namespace kivo::testing
