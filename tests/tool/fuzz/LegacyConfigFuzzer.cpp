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
#include "tool/CfgSnmp.h"
#include "tool/Filters.h"
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
  // Every value it wrote can be read back: the pages then load all of it.
  kivo::tool::CfgSnmp snmp(registry);
  snmp.Load();
  kivo::tool::Filters filters(registry);
  filters.Load();
  kivo::config::RegistryConfig filter_list(registry, kivo::config::names::kFilters);
  if (snmp.settings().port_text.empty() || filters.rows().size() != filter_list.CountSubkeys()) {
    std::abort();
  }
  return 0;
}
