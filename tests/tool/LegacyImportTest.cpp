#include "tool/LegacyImport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/fake/FakeRegistry.h"
#include "support/TestSupport.h"
#include "support/WriteProtectedFile.h"
#include "tool/StoreFixture.h"

namespace kivo::tool {
namespace {

using testing::DumpTree;
using Kind = LegacyProblem::Kind;

constexpr char kFile[] = "kivo.cfg";

// The bytes exactly as given: no line-end translation.
void WriteFile(const std::string& bytes) {
  std::ofstream(kFile, std::ios::binary | std::ios::trunc) << bytes;
}

class LegacyImportTest : public ::testing::Test {
 protected:
  testing::ScopedTempDir dir_;
  platform::FakeRegistry registry_;
};

TEST_F(LegacyImportTest, ExampleFileIsAddedToTheStore) {
  const std::string end = "\r\n";  // the next test ends most lines with a bare LF
  config::RegistryConfig(registry_, nullptr).AddFilter("EventId", "Include", "old");
  // A label counts anywhere in a line, case-sensitive, but not in a comment;
  // its value starts after blanks and tabs and ends at a NUL.
  WriteFile("#Port: 99 (a comment)" + end + "Version: 1" + end +
            "trap Destination: \t127.0.0.1 # old " + end + "port: 1" + end + " # Port: 2162" + end +
            std::string("Community: s3cret\0ignored", 25) + end + "Filter: EventSource" + end +
            "FilterType: Exclude" + end + "FilterList: Srv,Net" + end + "Filter: EventId" + end +
            "FilterType: Include" + end + "Filter: EventId" + end + "FilterType: Exclude" + end +
            "Map: 6005" + end + "Map: 6005" + end + "Map: 7036");
  LegacyConfigFile file(kFile);
  EXPECT_TRUE(ImportLegacyConfig(file, registry_).problems.empty());
  EXPECT_EQ(
      "root version=1 destination=\"127.0.0.1 # old \" port=2162 community=\"s3cret\"\n"
      "Filters\n"
      "Filters\\0 filterOn=\"EventId\" filterType=\"Include\" filterList=\"old\"\n"
      "Filters\\1 filterOn=\"EventSource\" filterType=\"Exclude\" filterList=\"Srv,Net\"\n"
      "Filters\\2 filterOn=\"EventId\" filterType=\"Exclude\" filterList=\"\"\n"
      "Maps\nMaps\\6005\nMaps\\7036\n",
      DumpTree(registry_));
}

// Too long a line or value, and a map id that could never match, are left
// out and listed, and the store keeps what it had; filters stay paired by
// occurrence; a Ctrl-Z ends the file.
TEST_F(LegacyImportTest, RefusedValuesKeepTheStoreAsItWasAndAreListedShortly) {
  WriteFile(std::string("FilterList: first\n") +                   // 1: belongs to filter 0
            "Destination: " + std::string(127, 'a') + "\n" +       // 2: fits
            "Filter: EventId\n" +                                  // 3
            "FilterList: " + std::string(128, 'b') + "\r\n" +      // 4: too long a value
            "Filter: EventUser\n" +                                // 5
            "Filter: Port: 5" + std::string(4096, ' ') + "\n" +    // 6: too long a line
            "Filter: EventType\nFilterType: x\nFilterType: y\n" +  // 7-9
            std::string(4095 - 14, '-') + "Community: ok!\r\n" +   // 10: fits
            "Map: 65536\nMap: -1\nMap: 3" + std::string(5000, ' ') + "\n# " +
            std::string(5000, '#') + "\nMap: 7\x1a\nMap: 8\n");  // 11-15, and nothing after ^Z
  LegacyImport import(registry_);
  ASSERT_EQ(LegacyImport::Outcome::kMigrated, import.Migrate(kFile));
  EXPECT_EQ("root version=0 destination=\"" + std::string(127, 'a') +
                "\" port=162 community=\"ok!\"\nFilters\n"
                "Filters\\0 filterOn=\"EventId\" filterType=\"x\" filterList=\"first\"\n"
                "Filters\\1 filterOn=\"EventType\" filterType=\"\" filterList=\"\"\n"
                "Maps\nMaps\\7\n",
            DumpTree(registry_));
  EXPECT_EQ(
      "Some lines of the config file could not be migrated. The settings they hold keep their "
      "previous values, and a filter with such a line was left out:\n"
      "Line 4: the value of \"FilterList:\" has more than 127 characters.\n"
      "Line 6: the line has more than 4095 characters.\n"
      "Line 11: the event id of \"Map:\" is not from 0 to 65535.\n"
      "Line 12: the event id of \"Map:\" is not from 0 to 65535.\n"
      "Line 13: the line has more than 4095 characters.\n",
      import.DescribeProblems());
  std::vector<LegacyProblem> many;
  for (std::size_t line = 1; line <= 12; ++line) many.push_back({line, "", Kind::kLineTooLong});
  const std::string text = DescribeLegacyProblems(many);
  EXPECT_EQ(std::string::npos, text.find("Line 11: "));
  EXPECT_EQ("Line 10: the line has more than 4095 characters.\n... and 2 more.\n",
            text.substr(text.find("Line 10: ")));
}

TEST_F(LegacyImportTest, MigrateNeedsAFileWithSettingsReportsAFailedWriteAndImportsOnce) {
  LegacyImport import(registry_);
  EXPECT_EQ(LegacyImport::Outcome::kNoPath, import.Migrate(""));
  EXPECT_EQ(LegacyImport::Outcome::kCannotOpen, import.Migrate("missing.cfg"));
  EXPECT_FALSE(std::filesystem::exists("missing.cfg"));  // never created
  WriteFile("# Port: 2162\nno label at all\n");
  EXPECT_EQ(LegacyImport::Outcome::kNoSettings, import.Migrate(kFile));
  EXPECT_EQ("kivo.cfg holds no Kivo settings.", LegacyImport::NoSettingsMessage(kFile));
  WriteFile("Port: snmp\nMap: 1\n");
  registry_.RefuseChanges(platform::kErrorAccessDenied);
  EXPECT_EQ(LegacyImport::Outcome::kCannotWrite, import.Migrate(kFile));
  EXPECT_EQ(platform::kErrorAccessDenied, import.write_error());
  registry_.RefuseChanges(platform::kRegSuccess);
  EXPECT_EQ("root (no key)\n", DumpTree(registry_)) << "failed attempts touch nothing";
  {
    testing::WriteProtectedFile protection(kFile);  // the import only reads
    EXPECT_EQ(LegacyImport::Outcome::kMigrated, import.Migrate(kFile));
  }
  EXPECT_TRUE(import.migrated());
  WriteFile("Map: 2\n");
  EXPECT_EQ(LegacyImport::Outcome::kClose, import.Migrate(kFile));
  EXPECT_EQ("root version=0 destination=\"\" port=162 community=\"\"\nFilters\nMaps\nMaps\\1\n",
            DumpTree(registry_));
}

// A port is taken as the SNMP page takes a typed one; anything else is
// listed as left out, and the store keeps the port it had.
TEST_F(LegacyImportTest, PortMustBeAWholeNumberFrom1To65535) {
  const std::string refused =
      "Line 1: the value of \"Port:\" is not a whole number from 1 to 65535.\n";
  const struct {
    const char* value;
    std::int32_t stored;
  } cases[] = {{"abc", 162}, {"70000", 162},   {"162x", 162},     {"0", 162},
               {"", 162},    {"65535", 65535}, {"+2162 \t", 2162}};
  for (const auto& c : cases) {
    platform::FakeRegistry registry;
    WriteFile(std::string("Port: ") + c.value + "\n");
    LegacyImport import(registry);
    ASSERT_EQ(LegacyImport::Outcome::kMigrated, import.Migrate(kFile));
    EXPECT_EQ(c.stored, testing::StoredNumber(registry, "", "port")) << c.value;
    const std::string listed = import.DescribeProblems();
    EXPECT_EQ(c.stored == 162, listed.size() > refused.size() &&
                                   listed.substr(listed.size() - refused.size()) == refused)
        << c.value;
  }
}

}  // namespace
}  // namespace kivo::tool
