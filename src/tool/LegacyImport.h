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
    kClose,       // an import already succeeded: the button now closes the dialog
    kNoPath,      // nothing to import from; the dialog stays open
    kCannotOpen,  // missing or write-protected file; the dialog stays open
    kMigrated,    // written to the store
  };

  static constexpr char kNoPathMessage[] = "You must specify the original Kivo config file!";
  static constexpr char kCannotOpenMessage[] =
      "Errors loading config file. Please respecify the file or use KivoConfig to configure "
      "Kivo manually.";
  static constexpr char kMigratedMessage[] = "Kivo Config file successfully migrated to registry!";

  explicit LegacyImport(platform::Registry& registry);
  virtual ~LegacyImport();
  LegacyImport(const LegacyImport&) = delete;
  LegacyImport& operator=(const LegacyImport&) = delete;

  Outcome Migrate(const std::string& path);

  bool migrated() const { return migrated_; }
  // What the last import left out because it was too long.
  const std::vector<LegacyProblem>& problems() const { return problems_; }
  // The text that tells the user about problems(); empty when there are none.
  std::string DescribeProblems() const;

 private:
  platform::Registry& registry_;
  bool migrated_ = false;
  std::vector<LegacyProblem> problems_;
};

// Writes an opened legacy file into the store: the root values "version",
// "destination", "port" and "community" in this order, then every filter and
// every mapped event id, added to what the store holds already. A refused
// value is not written, so the store keeps what it had. Returns the refusals.
std::vector<LegacyProblem> ImportLegacyConfig(LegacyConfigFile& file, platform::Registry& registry);

// Lists the refusals for the user, at most kListedProblems of them.
std::string DescribeLegacyProblems(const std::vector<LegacyProblem>& problems);
constexpr std::size_t kListedProblems = 10;

}  // namespace kivo::tool
