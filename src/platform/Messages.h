#pragma once

#include <cstdint>
#include <string>

namespace kivo::platform {

// A module loaded as a data file (LoadLibraryExA); kNoModule when none.
using ModuleHandle = std::uintptr_t;
constexpr ModuleHandle kNoModule = 0;

// Flags of FormatMessageA, with the platform's values.
constexpr std::uint32_t kFormatIgnoreInserts = 0x200;
constexpr std::uint32_t kFormatFromHmodule = 0x800;
constexpr std::uint32_t kFormatFromSystem = 0x1000;
constexpr std::uint32_t kFormatArgumentArray = 0x2000;

// FormatMessageA inserts are %1 to %99, and an insert whose format takes its
// width and precision from arguments (%99!*.*s!) reads two more: an argument
// array of this many entries can never be read past.
constexpr std::uint32_t kMaxMessageInserts = 99;
constexpr std::uint32_t kMessageArgumentSlots = kMaxMessageInserts + 2;

// Message texts of program files and the names of accounts: the calls with
// which event records are turned into text.
class Messages {
 public:
  virtual ~Messages() = default;

  // ExpandEnvironmentStringsA: expands %NAME% references of `text` into the
  // buffer of `size` bytes. Returns the size the result needs, its zero
  // included (more than `size` when it did not fit), or 0 on failure.
  virtual std::uint32_t ExpandEnvironment(const char* text, char* buffer, std::uint32_t size) = 0;

  // LoadLibraryExA(path, NULL, DONT_RESOLVE_DLL_REFERENCES |
  // LOAD_LIBRARY_AS_DATAFILE): the module, or kNoModule.
  virtual ModuleHandle LoadDataFile(const char* path) = 0;

  // FormatMessageA(flags, module, message_id, 0, buffer, size, arguments):
  // the number of characters stored without the zero, 0 on failure. With
  // kFormatArgumentArray, `arguments` must hold as many entries as the
  // message's highest insert number.
  virtual std::uint32_t Format(std::uint32_t flags, ModuleHandle module, std::uint32_t message_id,
                               char* buffer, std::uint32_t size, const char* const* arguments) = 0;

  // FreeLibrary.
  virtual void UnloadModule(ModuleHandle module) = 0;

  // LookupAccountSidA on the local machine: the account's name and domain,
  // zero-terminated, into buffers of *name_size and *domain_size bytes.
  virtual bool LookupAccount(const void* sid, char* name, std::uint32_t* name_size, char* domain,
                             std::uint32_t* domain_size) = 0;
};

// The system's own text of an error number, from its message table, with
// the number after it: "No such host is known. (error 11001)"; just
// "error 11001" when the system has no text for it. For the lines and
// messages that tell an administrator why something failed.
inline std::string SystemErrorText(Messages& messages, std::uint32_t error) {
  char text[512] = {};
  std::uint32_t length = messages.Format(kFormatFromSystem | kFormatIgnoreInserts, kNoModule, error,
                                         text, sizeof(text), nullptr);
  if (length >= sizeof(text)) length = 0;
  // The table's texts end with a line break; the number follows on the line.
  while (length > 0 &&
         (text[length - 1] == '\r' || text[length - 1] == '\n' || text[length - 1] == ' ')) {
    --length;
  }
  const std::string number = "error " + std::to_string(error);
  return length == 0 ? number : std::string(text, length) + " (" + number + ")";
}

}  // namespace kivo::platform
