#include "platform/MessagesContract.h"
#include "platform/fake/FakeMessages.h"
#include "support/EventRecords.h"
#include "support/TestSupport.h"

namespace kivo::testing {

std::unique_ptr<platform::Messages> MakeFakeMessages() {
  auto messages = std::make_unique<platform::FakeMessages>();
  messages->SetEnvironment(kModuleDirVariable, ModuleDir());
  for (const char* module : {"KivoTestFirst", "KivoTestSecond", "KivoTestParameters"}) {
    messages->AddModuleFromMc(ModulePath(module),
                              ReadFileBytes(std::string(KIVO_TEST_MC_DIR) + "/" + module + ".mc"));
  }
  messages->AddAccount(MakeSid(5, {18}), "SYSTEM", "NT AUTHORITY");
  return messages;
}

INSTANTIATE_TEST_SUITE_P(Fake, MessagesContract, ::testing::Values(&MakeFakeMessages),
                         [](const auto&) { return std::string("InMemory"); });
}  // namespace kivo::testing
