#include "tool/LegacyImport.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "config/RegistryConfig.h"
#include "platform/fake/FakeRegistry.h"
#include "support/TestSupport.h"
#include "tool/LegacyExample.h"
#include "tool/LegacyFileWriter.h"
#include "tool/StoredConfig.h"

namespace kivo::tool {
namespace {

using testing::ExampleLegacyFile;
using testing::ExampleLegacyStore;
using testing::ExpectStore;
using testing::ReadStore;
using testing::ScopedTempDir;
using testing::StoredConfig;
using testing::WriteLegacyFile;

constexpr char kFile[] = "kivo.cfg";

std::vector<LegacyProblem> Import(platform::Registry& registry) {
  LegacyConfigFile file(kFile);
  EXPECT_TRUE(file.opened());
  return ImportLegacyConfig(file, registry);
}

TEST(LegacyImportTest, ExampleFileGivesItsStoreWithEitherLineEnd) {
  for (const char* end : {"\n", "\r\n"}) {
    for (bool last_line_ended : {true, false}) {
      SCOPED_TRACE(std::string(end[0] == '\r' ? "CR LF" : "LF") +
                   (last_line_ended ? "" : ", last line unended"));
      ScopedTempDir dir;
      WriteLegacyFile(kFile, ExampleLegacyFile(end, last_line_ended));
      platform::FakeRegistry registry;
      EXPECT_TRUE(Import(registry).empty());
      ExpectStore(ExampleLegacyStore(), registry);
    }
  }
}

TEST(LegacyImportTest, FileRulesShowInTheStore) {
  auto store = [](auto&& edit) {
    StoredConfig expected;
    edit(expected);
    return expected;
  };
  const struct {
    const char* what;
    std::string bytes;
    StoredConfig expected;
  } cases[] = {
      {"a file without labels writes the legacy defaults", "hello\n", StoredConfig{}},
      {"a FilterList line before the first Filter line belongs to filter 0",
       "FilterList: 1,2\nFilter: EventId\nFilterType: Include\n", store([](StoredConfig& s) {
         s.filters = {{"EventId", "Include", "1,2"}};
       })},
      {"a commented Port line is ignored", "#Port: 2162\n", StoredConfig{}},
      {"a Port that is no number gives 0", "Port: snmp-trap\n",
       store([](StoredConfig& s) { s.port = 0; })},
      {"a label in the middle of a line", "trap Destination: 10.0.0.9 # old\nuse Port: 99\n",
       store([](StoredConfig& s) {
         s.destination = "10.0.0.9 # old";
         s.port = 99;
       })},
      {"a last Map line without line end counts once", "Map: 1\nMap: 2", store([](StoredConfig& s) {
         s.maps = {"1", "2"};
       })},
      {"a repeated map id is stored once", "Map: 1\nMap: 1\nMap: 01\n",
       store([](StoredConfig& s) { s.maps = {"1"}; })},
      {"of duplicate filters only the first is stored",
       "Filter: EventId\nFilterType: Include\nFilterList: 1\n"
       "Filter: EventId\nFilterType: Include\nFilterList: 2\n"
       "Filter: EventId\nFilterType: Exclude\nFilterList: 3\n",
       store([](StoredConfig& s) {
         s.filters = {{"EventId", "Include", "1"}, {"EventId", "Exclude", "3"}};
       })},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ScopedTempDir dir;
    WriteLegacyFile(kFile, c.bytes);
    platform::FakeRegistry registry;
    Import(registry);
    ExpectStore(c.expected, registry);
  }
}

TEST(LegacyImportTest, ImportAddsToWhatIsStored) {
  ScopedTempDir dir;
  platform::FakeRegistry registry;
  {
    config::RegistryConfig store(registry, nullptr);
    store.AddFilter("EventId", "Include", "old");
    store.AddMap(5);
  }
  WriteLegacyFile(kFile,
                  "Filter: EventId\nFilterType: Include\nFilterList: new\n"
                  "Filter: EventUser\nFilterType: Exclude\nFilterList: guest\n"
                  "Map: 5\nMap: 6\n");
  Import(registry);
  StoredConfig expected;
  expected.filters = {{"EventId", "Include", "old"}, {"EventUser", "Exclude", "guest"}};
  expected.maps = {"5", "6"};
  ExpectStore(expected, registry);
}

TEST(LegacyImportTest, RefusedValuesLeaveTheStoreAsItWasAndAreDescribed) {
  ScopedTempDir dir;
  WriteLegacyFile(kFile, "Destination: " + std::string(128, 'h') + "\n" + "Port: 2162" +
                             std::string(4096, ' ') + "\n" +
                             "Community: fits\n"
                             "Filter: EventId\nFilterList: " +
                             std::string(200, '1') + "\n" + "Map: 77\n");
  platform::FakeRegistry registry;
  LegacyImport import(registry);
  ASSERT_EQ(LegacyImport::Outcome::kMigrated, import.Migrate(kFile));
  StoredConfig expected;
  expected.destination = config::defaults::kDestination;
  expected.port = config::defaults::kPort;
  expected.community = "fits";
  expected.maps = {"77"};
  ExpectStore(expected, registry);
  EXPECT_EQ(
      "Some lines of the config file are too long and were not migrated. The settings they hold "
      "keep their previous values, and a filter with such a line was left out:\n"
      "Line 1: the value of \"Destination:\" has more than 127 characters.\n"
      "Line 2: the line has more than 4095 characters.\n"
      "Line 5: the value of \"FilterList:\" has more than 127 characters.\n",
      import.DescribeProblems());
}

TEST(LegacyImportTest, ProblemListForTheUserStaysShort) {
  std::vector<LegacyProblem> problems;
  for (std::size_t line = 1; line <= 12; ++line) {
    problems.push_back({line, "", LegacyProblem::Kind::kLineTooLong});
  }
  const std::string text = DescribeLegacyProblems(problems);
  EXPECT_NE(std::string::npos, text.find("Line 10: "));
  EXPECT_EQ(std::string::npos, text.find("Line 11: "));
  EXPECT_NE(std::string::npos, text.find("... and 2 more.\n"));
  EXPECT_EQ("", DescribeLegacyProblems({}));
}

TEST(LegacyImportTest, TenThousandLineFileImportsCompletely) {
  std::string bytes;
  std::size_t lines = 0;
  auto add = [&](const std::string& line) {
    bytes += line + "\r\n";
    ++lines;
  };
  for (int i = 0; i < 300; ++i) add("Map: " + std::to_string(1000 + i));
  for (int i = 0; i < 100; ++i) {
    add("Filter: EventId");
    add("FilterType: " + std::string(i % 2 ? "Include" : "Exclude") + std::to_string(i));
    add("FilterList: " + std::to_string(i));
  }
  while (lines < 9999) add("# filler line " + std::to_string(lines));
  add("Port: 2162");
  ScopedTempDir dir;
  WriteLegacyFile(kFile, bytes);
  platform::FakeRegistry registry;
  EXPECT_TRUE(Import(registry).empty());
  const StoredConfig stored = ReadStore(registry);
  EXPECT_EQ(2162, stored.port);
  EXPECT_EQ(300u, stored.maps.size());
  ASSERT_EQ(100u, stored.filters.size());
  EXPECT_EQ("Include99", stored.filters[99].type);
  EXPECT_EQ("99", stored.filters[99].list);
}

TEST(LegacyImportTest, MigrateChecksThePathAndImportsOnlyOnce) {
  ScopedTempDir dir;
  platform::FakeRegistry registry;
  LegacyImport import(registry);
  EXPECT_EQ(LegacyImport::Outcome::kNoPath, import.Migrate(""));
  EXPECT_EQ(LegacyImport::Outcome::kCannotOpen, import.Migrate("missing.cfg"));
  std::unique_ptr<platform::RegistryKey> root;
  EXPECT_EQ(platform::kErrorFileNotFound, registry.Open(config::names::kRootPath, &root))
      << "failed attempts must not touch the store";
  EXPECT_FALSE(import.migrated());

  WriteLegacyFile(kFile, "Map: 1\n");
  EXPECT_EQ(LegacyImport::Outcome::kMigrated, import.Migrate(kFile));
  EXPECT_TRUE(import.migrated());
  WriteLegacyFile(kFile, "Map: 2\n");
  EXPECT_EQ(LegacyImport::Outcome::kClose, import.Migrate(kFile));
  EXPECT_EQ(std::set<std::string>{"1"}, ReadStore(registry).maps);
}

}  // namespace
}  // namespace kivo::tool
