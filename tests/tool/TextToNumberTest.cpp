#include "tool/TextToNumber.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

namespace kivo::tool {
namespace {

struct ConversionCase {
  const char* text;
  std::int32_t number;
};

TEST(TextToNumber, TakesLeadingBlanksSignAndLongestDigitRun) {
  const ConversionCase cases[] = {
      {"162", 162},
      {"12ab", 12},
      {"abc", 0},
      {"", 0},
      {"   514", 514},
      {" \t42x", 42},
      {"+7", 7},
      {"-1", -1},
      {"-", 0},
      {"- 5", 0},
      {"007", 7},
      {"1 2", 1},
      {"x12", 0},
      {"2147483647", std::numeric_limits<std::int32_t>::max()},
      {"-2147483648", std::numeric_limits<std::int32_t>::min()},
      {"99999999999999999999", std::numeric_limits<std::int32_t>::max()},
      {"-99999999999999999999", std::numeric_limits<std::int32_t>::min()},
  };
  for (const auto& c : cases) EXPECT_EQ(c.number, TextToNumber(c.text)) << '"' << c.text << '"';
}

TEST(TextToNumber, WholeNumberAllowsBlanksAroundAndNothingElse) {
  struct Case {
    const char* text;
    bool whole;
    std::int32_t number;
  };
  const Case cases[] = {
      {"514", true, 514}, {" 514 ", true, 514}, {"\t-3", true, -3}, {"", false, 0},
      {"   ", false, 0},  {"51a", false, 0},    {"5 1", false, 0},  {"+", false, 0},
  };
  for (const auto& c : cases) {
    std::int32_t number = 12345;
    EXPECT_EQ(c.whole, ParseWholeNumber(c.text, &number)) << '"' << c.text << '"';
    if (c.whole) {
      EXPECT_EQ(c.number, number) << c.text;
    }
  }
}

}  // namespace
}  // namespace kivo::tool
