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

}  // namespace kivo::testing
