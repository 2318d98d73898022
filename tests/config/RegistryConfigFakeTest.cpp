#include "config/RegistryConfigTest.h"

namespace kivo::testing {
INSTANTIATE_TEST_SUITE_P(Fake, RegistryConfigTest, ::testing::Values(&MakeFakeRegistry),
                         [](const auto&) { return std::string("InMemory"); });
}
