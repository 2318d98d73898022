#include "tool/LegacyConfigFile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "support/TestSupport.h"
#include "support/WriteProtectedFile.h"
#include "tool/LegacyFileWriter.h"

namespace kivo::tool {
namespace {

using testing::ScopedTempDir;
using testing::WriteLegacyFile;
using testing::WriteProtectedFile;
namespace labels = legacy_labels;
using Kind = LegacyProblem::Kind;

constexpr char kFile[] = "kivo.cfg";

std::vector<std::string> Values(LegacyConfigFile& file, const std::string& label) {
  std::vector<std::string> values;
  for (const auto& occurrence : file.Lookup(label)) values.push_back(occurrence.value);
  return values;
}

// A label in the middle of a line, a commented label and an unended last line
// are import cases (LegacyImportTest), which read through this parser.
TEST(LegacyConfigFileTest, FindsLabelsAnywhereButNotInComments) {
  const struct {
    const char* what;
    std::string bytes;
    const char* label;
    std::vector<std::string> values;
  } cases[] = {
      {"value after blanks and tabs, trailing blanks kept",
       "Community: \t my town  \n",
       labels::kCommunity,
       {"my town  "}},
      {"hash later in the line is no comment", " # Port: 99\n", labels::kPort, {"99"}},
      {"labels are case-sensitive", "port: 1\nPORT: 2\n", labels::kPort, {}},
      {"FilterType and FilterList are no Filter lines",
       "FilterType: Include\nFilterList: a\nFilter: EventId\n",
       labels::kFilter,
       {"EventId"}},
      {"empty value", "Destination:\n", labels::kDestination, {""}},
      {"lone CR inside a line stays", "Community: a\rb\r\n", labels::kCommunity, {"a\rb"}},
      {"NUL ends what is read of a line",
       std::string("Community: ab\0Port: 5\nPort: 7\n", 30),
       labels::kPort,
       {"7"}},
      {"empty file", "", labels::kMap, {}},
  };
  for (const auto& c : cases) {
    ScopedTempDir dir;
    WriteLegacyFile(kFile, c.bytes);
    LegacyConfigFile file(kFile);
    ASSERT_TRUE(file.opened()) << c.what;
    EXPECT_EQ(c.values, Values(file, c.label)) << c.what;
  }
}

TEST(LegacyConfigFileTest, FilterPartsArePairedByOccurrence) {
  ScopedTempDir dir;
  WriteLegacyFile(kFile,
                  "FilterList: first list\n"
                  "Filter: EventId\n"
                  "FilterType: Include\n"
                  "Filter: EventSource\n"
                  "FilterType: Exclude\n"
                  "FilterType: ignored, no third filter\n"
                  "FilterList: second list\n"
                  "FilterList: third list, ignored\n");
  LegacyConfigFile file(kFile);
  EXPECT_EQ((std::vector<FilterRow>{{"EventId", "Include", "first list"},
                                    {"EventSource", "Exclude", "second list"}}),
            file.Filters());
}

TEST(LegacyConfigFileTest, LongLinesAndValuesAreRefusedAndReported) {
  const std::string text127(127, 'a');
  const std::string text128(128, 'b');
  const std::string line4095 = std::string(4095 - 14, '-') + "Community: ok!";
  const std::string line4096 = "Port: 5" + std::string(4096 - 7, ' ');
  ScopedTempDir dir;
  WriteLegacyFile(kFile, "Destination: " + text127 + "\n" +       // 1: fits
                             "Filter: EventId\n" +                // 2
                             "FilterList: " + text128 + "\r\n" +  // 3: too long a value
                             "Filter: EventUser\n" +              // 4
                             "Filter: " + line4096 + "\n" +       // 5: too long a line
                             "Filter: EventType\n" +              // 6
                             "FilterList: x\nFilterList: y\nFilterList: z\n" + line4095 + "\r\n" +
                             "Map: 3" + std::string(5000, ' ') +  // 11: too long a line
                             "\nMap: 4\n" + "# " + std::string(5000, '#') +
                             "\n");  // long comments are fine
  LegacyConfigFile file(kFile);
  EXPECT_EQ(text127, file.Destination());
  EXPECT_EQ("ok!", file.Community());
  // The first "Port:" stands in the refused line 5: no port at all, not the default.
  EXPECT_EQ(std::nullopt, file.Port());
  // Filter 0 lost its list, filter 2 its line; filters 1 and 3 keep their pairing.
  EXPECT_EQ((std::vector<FilterRow>{{"EventUser", "", "x"}, {"EventType", "", "z"}}),
            file.Filters());
  EXPECT_EQ(std::vector<std::int32_t>{4}, file.Maps());
  EXPECT_EQ((std::vector<LegacyProblem>{{3, labels::kFilterList, Kind::kValueTooLong},
                                        {5, "", Kind::kLineTooLong},
                                        {11, "", Kind::kLineTooLong}}),
            file.problems());
}

TEST(LegacyConfigFileTest, SurvivesNulBytesAndAHugeLine) {
  std::string bytes = "Version: 1\n";
  bytes += std::string(100000, 'x') + "Destination: far away\n";
  bytes += std::string("\0\0\0Map: 1\n", 10);
  bytes += std::string("Map: 2\0Map: 3\n", 14);
  bytes += std::string(100000, '\0') + "\n";
  bytes += "Community: still read\n";
  bytes += std::string(100000, 'y');  // and no line end
  ScopedTempDir dir;
  WriteLegacyFile(kFile, bytes);
  LegacyConfigFile file(kFile);
  EXPECT_EQ(1, file.Version());
  EXPECT_EQ("", file.Destination());  // beyond what a line holds: never seen
  EXPECT_EQ("still read", file.Community());
  EXPECT_EQ(std::vector<std::int32_t>{2}, file.Maps());
  EXPECT_EQ(
      (std::vector<LegacyProblem>{
          {2, "", Kind::kLineTooLong}, {5, "", Kind::kLineTooLong}, {7, "", Kind::kLineTooLong}}),
      file.problems());
}

TEST(LegacyConfigFileTest, OnlyAnExistingWritableFileOpens) {
  ScopedTempDir dir;
  EXPECT_FALSE(LegacyConfigFile("missing.cfg").opened());
  EXPECT_FALSE(std::filesystem::exists("missing.cfg"));  // never created
  std::filesystem::create_directory("folder.cfg");
  EXPECT_FALSE(LegacyConfigFile("folder.cfg").opened());

  WriteLegacyFile(kFile, "Port: 1\n");
  EXPECT_TRUE(LegacyConfigFile(kFile).opened());
  WriteProtectedFile protection(kFile);
  if (!protection.Protected()) GTEST_SKIP() << "cannot write-protect a file for this user";
  EXPECT_FALSE(LegacyConfigFile(kFile).opened());
}

}  // namespace
}  // namespace kivo::tool
