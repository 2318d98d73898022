#pragma once

#include <string>
#include <vector>

#include "platform/Registry.h"
#include "tool/LegacyConfigFile.h"

namespace kivo::tool {

// The "Migrate" action of the migration dialog, without its window: checks
// the path, reads the legacy file and adds its settings to the store.
class LegacyImport {
 public:
  enum class Outcome {
    kClose,        // an import already succeeded: the button now closes the dialog
    kNoPath,       // nothing to import from; the dialog stays open
    kCannotOpen,   // no file that can be read; the dialog stays open
    kNoSettings,   // not one label in the file: the store is left as it was
    kCannotWrite,  // the store refused a write (write_error()); the dialog stays open
    kMigrated,     // written to the store
  };

  static constexpr char kNoPathMessage[] = "You must specify the original Kivo config file!";
  static constexpr char kCannotOpenMessage[] =
      "Errors loading config file. Please respecify the file or use KivoConfig to configure "
      "Kivo manually.";
  static constexpr char kMigratedMessage[] = "Kivo Config file successfully migrated to registry!";
  static std::string NoSettingsMessage(const std::string& path) {
    return path + " holds no Kivo settings.";
  }

  explicit LegacyImport(platform::Registry& registry);
  virtual ~LegacyImport();
  LegacyImport(const LegacyImport&) = delete;
  LegacyImport& operator=(const LegacyImport&) = delete;

  Outcome Migrate(const std::string& path);

  bool migrated() const { return migrated_; }
  platform::RegStatus write_error() const { return write_error_; }
  // What the last import left out: too long a line or value, or a map id
  // that could never match.
  const std::vector<LegacyProblem>& problems() const { return problems_; }
  // The text that tells the user about problems(); empty when there are none.
  std::string DescribeProblems() const;

 private:
  platform::Registry& registry_;
  bool migrated_ = false;
  platform::RegStatus write_error_ = platform::kRegSuccess;
  std::vector<LegacyProblem> problems_;
};

struct LegacyImportResult {
  std::vector<LegacyProblem> problems;                // the values left out
  platform::RegStatus error = platform::kRegSuccess;  // the write that failed
};

// Writes an opened legacy file into the store: the root values "version",
// "destination", "port" and "community" in this order, then every filter and
// every mapped event id, added to what the store holds already. A refused
// value is not written, so the store keeps what it had. The first failed
// write ends the import.
LegacyImportResult ImportLegacyConfig(LegacyConfigFile& file, platform::Registry& registry);

// Lists the refusals for the user, at most kListedProblems of them.
std::string DescribeLegacyProblems(const std::vector<LegacyProblem>& problems);
constexpr std::size_t kListedProblems = 10;

}  // namespace kivo::tool
