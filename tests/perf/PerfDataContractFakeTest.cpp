#include "perf/PerfDataContract.h"
#include "platform/fake/FakePerfData.h"

namespace kivo::testing {
namespace {
std::unique_ptr<platform::PerfData> MakeFake() {
  return std::make_unique<platform::FakePerfData>();
}
}  // namespace
INSTANTIATE_TEST_SUITE_P(Fake, PerfDataContract, ::testing::Values(&MakeFake),
                         [](const auto&) { return std::string("InMemory"); });
}  // namespace kivo::testing
