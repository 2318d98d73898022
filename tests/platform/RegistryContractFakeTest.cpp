#include "platform/RegistryContract.h"

namespace kivo::testing {
INSTANTIATE_TEST_SUITE_P(Fake, RegistryContract, ::testing::Values(&MakeFakeRegistry),
                         [](const auto&) { return std::string("InMemory"); });
}
