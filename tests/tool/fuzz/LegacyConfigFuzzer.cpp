// Feeds arbitrary bytes to the legacy kivo.cfg import as the file's content.
// Whatever the file holds, the import must end, and every value it wrote must
// be readable from the store again.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "config/RegistryConfig.h"
#include "platform/fake/FakeRegistry.h"
#include "tool/LegacyConfigFile.h"
#include "tool/LegacyImport.h"

namespace {

// The input file, in the temporary folder under a name of this process's own.
struct InputFile {
  ~InputFile() { std::remove(path.c_str()); }
  const std::string path =
      (std::filesystem::temp_directory_path() /
       ("kivo-fuzz-" + std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()) +
        ".cfg"))
          .string();
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static InputFile input;
  if (std::FILE* file = std::fopen(input.path.c_str(), "wb")) {
    std::fwrite(data, 1, size, file);
    std::fclose(file);
  }
  kivo::platform::FakeRegistry registry;
  kivo::tool::LegacyConfigFile file(input.path);
  if (!file.opened()) return 0;
  kivo::tool::ImportLegacyConfig(file, registry);
  namespace names = kivo::config::names;
  kivo::config::RegistryConfig store(registry, nullptr);
  try {
    for (const char* name : {names::kVersion, names::kPort}) store.ReadNumber(name);
    for (const char* name : {names::kDestination, names::kCommunity}) store.ReadText(name);
    store.Open(names::kFilters);
    const std::uint32_t filters = store.CountSubkeys();
    for (std::uint32_t i = 0; i < filters; ++i) {
      store.OpenEntry(static_cast<std::int32_t>(i));
      for (const char* name : {names::kFilterOn, names::kFilterType, names::kFilterList}) {
        store.ReadText(name);
      }
    }
  } catch (const kivo::config::RegistryReadError&) {
    std::abort();  // the import wrote a value that cannot be read back
  }
  return 0;
}
