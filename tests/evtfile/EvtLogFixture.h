#pragma once

#include <gtest/gtest.h>

#include <string>

#include "platform/evtfile/EvtFileEventLog.h"
#include "platform/evtfile/EvtFileWriter.h"
#include "platform/fake/FakeMessages.h"
#include "platform/fake/FakeRegistry.h"
#include "support/EventRecords.h"
#include "support/TestSupport.h"

namespace kivo::testing {

// Names the file of a log in a registry the way NT does: the REG_EXPAND_SZ
// value "File" of the log's key, here with an environment reference that
// `messages` expands to `directory`.
inline void RegisterLogFile(platform::Registry& registry, platform::FakeMessages& messages,
                            const std::string& log, const std::string& directory,
                            const std::string& file_name) {
  messages.SetEnvironment("KivoLogDir", directory);
  std::unique_ptr<platform::RegistryKey> key;
  ASSERT_EQ(
      platform::kRegSuccess,
      registry.Create(std::string(platform::EvtFileEventLog::kEventLogKey) + "\\" + log, &key));
  const std::string value = "%KivoLogDir%/" + file_name;
  key->SetValue("File", platform::RegType::kExpandText, value.c_str(),
                static_cast<std::uint32_t>(value.size() + 1));
}

// Log files in a fresh directory, each registered as the file "<log>.evt" of
// its log; the Application log from the start.
class EvtLogFixture : public ::testing::Test {
 protected:
  void SetUp() override { Register("Application"); }
  void Register(const std::string& log) {
    RegisterLogFile(registry_, messages_, log, dir_.path().string(), log + ".evt");
  }
  platform::evt::EvtFileWriter Writer(const std::string& log = "Application") {
    return platform::evt::EvtFileWriter((dir_.path() / (log + ".evt")).string());
  }
  std::uint32_t Append(const TestEvent& event, bool dirty = false,
                       const std::string& log = "Application") {
    std::uint32_t number = 0;
    auto writer = Writer(log);
    EXPECT_TRUE(writer.Append(ToFields(event), &number, dirty)) << writer.error();
    return number;
  }
  static TestEvent Event(const std::string& text, std::size_t data_size = 0) {
    TestEvent event;
    event.strings = {text};
    event.data.assign(data_size, 0x5A);
    return event;
  }

  ScopedTempDir dir_;
  const std::string path_ = (dir_.path() / "Application.evt").string();
  platform::FakeRegistry registry_;
  platform::FakeMessages messages_;
};

}  // namespace kivo::testing
