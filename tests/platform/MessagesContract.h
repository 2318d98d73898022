#pragma once

// Behaviour of message formatting, environment expansion and account lookup
// that event decoding relies on. The same cases run against the in-memory
// messages (with the tables of the test modules' .mc sources) and, in the
// Windows build, against kernel32 and advapi32 under Wine with the test
// modules built from those sources.

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "platform/Messages.h"

namespace kivo::testing {

using MessagesFactory = std::unique_ptr<platform::Messages> (*)();

// The environment variable the cases expand, naming the modules' folder.
constexpr char kModuleDirVariable[] = "KivoContractDir";
std::string ModuleDir();
std::string ModulePath(const std::string& module);
std::unique_ptr<platform::Messages> MakeFakeMessages();

class MessagesContract : public ::testing::TestWithParam<MessagesFactory> {
 protected:
  void SetUp() override { messages_ = GetParam()(); }
  std::unique_ptr<platform::Messages> messages_;
};

}  // namespace kivo::testing
