#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "platform/PerfData.h"

namespace kivo::testing {

using PerfDataFactory = std::unique_ptr<platform::PerfData> (*)();

// What the uptime counter relies on from pdh.dll; run against the fake and,
// under Wine, against the real one.
class PerfDataContract : public ::testing::TestWithParam<PerfDataFactory> {};

}  // namespace kivo::testing
