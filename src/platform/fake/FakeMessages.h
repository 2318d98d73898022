#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "platform/Messages.h"

namespace kivo::platform {

// Message modules, environment and accounts in memory. Formatting follows
// FormatMessageA for what event decoding uses: %1 to %99 inserts (string
// format only), the escapes %0 %n %r %t %b %% %. %! and "% ", a message
// table per module with the system's own table behind it, and failure when
// the text does not fit the buffer.
class FakeMessages : public Messages {
 public:
  using Table = std::map<std::uint32_t, std::string>;

  // The system's own table holds the messages of the platform's error codes;
  // the fake knows one of them, as Wine words it.
  FakeMessages() { system_[1234] = "Port unreachable.\r\n"; }

  void SetEnvironment(const std::string& name, const std::string& value);
  void AddModule(const std::string& path, Table table);
  // A module whose table is a message-text (.mc) source as windmc compiles it.
  void AddModuleFromMc(const std::string& path, const std::string& mc_source);
  void SetSystemMessage(std::uint32_t id, const std::string& text) { system_[id] = text; }
  void AddAccount(const std::vector<unsigned char>& sid, const std::string& name,
                  const std::string& domain);

  int loaded_modules() const { return loaded_; }
  int formats() const { return formats_; }

  // The message table that a .mc source compiles to: ids with severity,
  // customer and facility bits, texts with CR LF line ends.
  static Table ParseMc(const std::string& mc_source);

  std::uint32_t ExpandEnvironment(const char* text, char* buffer, std::uint32_t size) override;
  ModuleHandle LoadDataFile(const char* path) override;
  std::uint32_t Format(std::uint32_t flags, ModuleHandle module, std::uint32_t message_id,
                       char* buffer, std::uint32_t size, const char* const* arguments) override;
  void UnloadModule(ModuleHandle module) override;
  bool LookupAccount(const void* sid, char* name, std::uint32_t* name_size, char* domain,
                     std::uint32_t* domain_size) override;

 private:
  std::map<std::string, std::string> environment_;  // upper-cased names
  std::map<std::string, Table> modules_;            // upper-cased paths
  std::map<ModuleHandle, const Table*> loaded_tables_;
  Table system_;
  std::map<std::vector<unsigned char>, std::pair<std::string, std::string>> accounts_;
  ModuleHandle next_module_ = 0x10000;
  int loaded_ = 0;
  int formats_ = 0;
};

}  // namespace kivo::platform
