#pragma once

// Behaviour of the sockets that the UDP endpoint and the trap stage rely on.
// The name-handling cases run against the in-memory sockets and the system's
// (BSD natively, Winsock under Wine); the loopback cases against the
// system's only.

#include <gtest/gtest.h>

#include <memory>

#include "platform/Sockets.h"

namespace kivo::testing {

using SocketsFactory = std::unique_ptr<platform::Sockets> (*)();

// The system's sockets of this build, started up.
std::unique_ptr<platform::Sockets> MakeSystemSockets();

class SocketsContract : public ::testing::TestWithParam<SocketsFactory> {
 protected:
  void SetUp() override {
    sockets_ = GetParam()();
    ASSERT_EQ(platform::kSocketOk, sockets_->Startup());
  }
  std::unique_ptr<platform::Sockets> sockets_;
};

class SocketsLoopback : public SocketsContract {};

}  // namespace kivo::testing
