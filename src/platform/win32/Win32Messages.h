#pragma once

#include "platform/Messages.h"

namespace kivo::platform {

// Message modules, environment expansion and account lookup through
// kernel32 and advapi32.
class Win32Messages : public Messages {
 public:
  std::uint32_t ExpandEnvironment(const char* text, char* buffer, std::uint32_t size) override;
  ModuleHandle LoadDataFile(const char* path) override;
  std::uint32_t Format(std::uint32_t flags, ModuleHandle module, std::uint32_t message_id,
                       char* buffer, std::uint32_t size, const char* const* arguments) override;
  void UnloadModule(ModuleHandle module) override;
  bool LookupAccount(const void* sid, char* name, std::uint32_t* name_size, char* domain,
                     std::uint32_t* domain_size) override;
};

}  // namespace kivo::platform
