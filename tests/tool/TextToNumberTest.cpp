#include "tool/TextToNumber.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

namespace kivo::tool {
namespace {

constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();

// TextToNumber takes leading blanks, a sign and the longest run of digits,
// saturating beyond 32 bits; a whole number has only blanks around it.
TEST(TextToNumber, TakesTheLeadingNumberAndTellsAWholeOne) {
  const struct {
    const char* text;
    std::int32_t number;
    bool whole;
  } cases[] = {
      {"162", 162, true}, {" 514 ", 514, true}, {"\t-3", -3, true}, {"+7", 7, true},
      {"007", 7, true},   {"12ab", 12, false},  {"abc", 0, false},  {"", 0, false},
      {"   ", 0, false},  {"- 5", 0, false},    {"1 2", 1, false},  {"+", 0, false},
  };
  for (const char* text : {"2147483647", "99999999999999999999"}) {
    EXPECT_EQ(kMax, TextToNumber(text)) << text;
  }
  for (const char* text : {"-2147483648", "-99999999999999999999"}) {
    EXPECT_EQ(kMin, TextToNumber(text)) << text;
  }
  for (const auto& c : cases) {
    EXPECT_EQ(c.number, TextToNumber(c.text)) << '"' << c.text << '"';
    std::int32_t number = 12345;
    EXPECT_EQ(c.whole, ParseWholeNumber(c.text, &number)) << '"' << c.text << '"';
    EXPECT_EQ(c.whole ? c.number : 12345, number) << '"' << c.text << '"';
  }
}

}  // namespace
}  // namespace kivo::tool
