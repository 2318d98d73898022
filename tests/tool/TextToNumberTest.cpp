#include "tool/TextToNumber.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace kivo::tool {
namespace {

TEST(TextToNumberTest, ReadsLeadingBlanksSignAndLongestDigitRun) {
  const struct {
    std::string text;
    std::int32_t expected;
  } cases[] = {
      {"162", 162},
      {"  \t2162", 2162},
      {"-5", -5},
      {"+7", 7},
      {"12abc", 12},
      {"12 34", 12},
      {"abc", 0},
      {"", 0},
      {"-", 0},
      {"- 5", 0},
      {"0000000000000000000000000000161", 161},
      {"2147483647", 2147483647},
      {"-2147483648", INT32_MIN},
      {"2147483648", INT32_MAX},
      {"-2147483649", INT32_MIN},
      {std::string(100000, '9'), INT32_MAX},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.expected, TextToNumber(c.text)) << "text: \"" << c.text.substr(0, 40) << "\"";
  }
}

}  // namespace
}  // namespace kivo::tool
