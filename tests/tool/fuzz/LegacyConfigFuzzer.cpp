// Feeds arbitrary bytes to the legacy kivo.cfg import as the file's content.
// Whatever the file holds, the import must end, and every value it wrote must
// be readable from the store again.

#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "config/RegistryConfig.h"
#include "platform/fake/FakeRegistry.h"
#include "platform/fake/FakeSecrets.h"
#include "platform/posix/PosixCrypto.h"
#include "tool/CfgSnmp.h"
#include "tool/Filters.h"
#include "tool/LegacyConfigFile.h"
#include "tool/LegacyImport.h"

namespace {

// The input file, kept in memory and opened by its path like any file. On
// disk, rewriting it made the file system flush the truncated file at every
// close, which held the run to a few hundred inputs a second.
struct InputFile {
  InputFile() : fd(memfd_create("kivo.cfg", 0)), path("/proc/self/fd/" + std::to_string(fd)) {
    if (fd < 0) std::abort();
  }
  void Write(const std::uint8_t* data, std::size_t size) const {
    if (ftruncate(fd, 0) != 0 ||
        (size > 0 && pwrite(fd, data, size, 0) != static_cast<ssize_t>(size))) {
      std::abort();
    }
  }
  const int fd;
  const std::string path;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const InputFile input;
  input.Write(data, size);
  kivo::platform::FakeRegistry registry;
  kivo::tool::LegacyConfigFile file(input.path);
  if (!file.opened()) return 0;
  kivo::tool::ImportLegacyConfig(file, registry);
  // Every value it wrote can be read back: the pages then load all of it.
  static kivo::platform::PosixCrypto crypto;
  kivo::platform::FakeSecrets secrets;
  kivo::tool::CfgSnmp snmp(registry, secrets, crypto);
  snmp.Load();
  kivo::tool::Filters filters(registry);
  filters.Load();
  kivo::config::RegistryConfig filter_list(registry, kivo::config::names::kFilters);
  if (snmp.settings().port_text.empty() || filters.rows().size() != filter_list.CountSubkeys()) {
    std::abort();
  }
  return 0;
}
