#include "tool/LegacyImport.h"

#include <algorithm>
#include <optional>

#include "config/RegistryConfig.h"

namespace kivo::tool {

LegacyImport::LegacyImport(platform::Registry& registry) : registry_(registry) {}

LegacyImport::~LegacyImport() = default;

LegacyImport::Outcome LegacyImport::Migrate(const std::string& path) {
  if (migrated_) return Outcome::kClose;
  if (path.empty()) return Outcome::kNoPath;
  LegacyConfigFile file(path);
  if (!file.opened()) return Outcome::kCannotOpen;
  // Checked before the store is opened, which would create its defaults.
  if (!file.HoldsSettings()) return Outcome::kNoSettings;
  const LegacyImportResult result = ImportLegacyConfig(file, registry_);
  problems_ = result.problems;
  write_error_ = result.error;
  if (write_error_ != platform::kRegSuccess) return Outcome::kCannotWrite;
  migrated_ = true;
  return Outcome::kMigrated;
}

std::string LegacyImport::DescribeProblems() const {
  return DescribeLegacyProblems(problems_);
}

LegacyImportResult ImportLegacyConfig(LegacyConfigFile& file, platform::Registry& registry) {
  config::RegistryConfig store(registry, nullptr);
  config::WriteResult written;
  if (std::optional<std::int32_t> version = file.Version()) {
    written.Add(store.SetSnmpVersion(*version));
  }
  if (std::optional<std::string> destination = file.Destination()) {
    written.Add(store.SetDestination(*destination));
  }
  if (std::optional<std::int32_t> port = file.Port()) written.Add(store.SetPort(*port));
  if (std::optional<std::string> community = file.Community()) {
    written.Add(store.SetCommunity(*community));
  }
  for (const FilterRow& filter : file.Filters()) {
    if (written.error() == platform::kRegSuccess) {
      written.Add(store.AddFilter(filter.on, filter.type, filter.list).error);
    }
  }
  for (std::int32_t id : file.Maps()) {
    if (written.error() == platform::kRegSuccess) written.Add(store.AddMap(id));
  }
  return LegacyImportResult{file.problems(), written.error()};
}

std::string DescribeLegacyProblems(const std::vector<LegacyProblem>& problems) {
  if (problems.empty()) return std::string();
  std::string text =
      "Some lines of the config file could not be migrated. The settings they hold keep their "
      "previous values, and a filter with such a line was left out:\n";
  const std::size_t listed = std::min(problems.size(), kListedProblems);
  for (std::size_t i = 0; i < listed; ++i) {
    const LegacyProblem& problem = problems[i];
    text += "Line " + std::to_string(problem.line) + ": ";
    if (problem.kind == LegacyProblem::Kind::kLineTooLong) {
      text += "the line has more than " + std::to_string(LegacyConfigFile::kMaxLineLength) +
              " characters.\n";
    } else if (problem.kind == LegacyProblem::Kind::kIdOutOfRange) {
      text += "the event id of \"" + problem.label + "\" is not from 0 to " +
              std::to_string(kMaxEventId) + ".\n";
    } else if (problem.kind == LegacyProblem::Kind::kBadPort) {
      text += "the value of \"" + problem.label + "\" is not a whole number from 1 to 65535.\n";
    } else {
      text += "the value of \"" + problem.label + "\" has more than " +
              std::to_string(LegacyConfigFile::kMaxTextLength) + " characters.\n";
    }
  }
  if (problems.size() > listed) {
    text += "... and " + std::to_string(problems.size() - listed) + " more.\n";
  }
  return text;
}

}  // namespace kivo::tool
