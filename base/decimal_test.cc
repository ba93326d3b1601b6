#include "base/decimal.h"

#include <gtest/gtest.h>

namespace tovrand {
namespace {

TEST(ReadDecimalTest, ReadsLikeTheLayoutAndCommandLine) {
  const struct {
    const char* text;
    int32_t value;
  } cases[] = {
      {"50", 50},
      {"50%", 50},
      {"+20", 20},
      {"-0", 0},
      {"-7", -7},
      {" \t\n\v\f\r42abc", 42},
      {"", 0},
      {"abc", 0},
      {"+", 0},
      {"--5", 0},
      {"+-5", 0},
      {"- 5", 0},
      {"007", 7},
      {"2147483647", 2147483647},
      {"2147483648", 2147483647},
      {"99999999999999999999999", 2147483647},
      {"-2147483648", INT32_MIN},
      {"-2147483649", INT32_MIN},
      {"-99999999999999999999999", INT32_MIN},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ReadDecimal(c.text), c.value) << '"' << c.text << '"';
  }
}

// A number is read from its own text only, whatever bytes follow it.
TEST(ReadDecimalTest, ReadsNoFurtherThanItsText) {
  const struct {
    const char* bytes;
    size_t length;
    int32_t value;
  } cases[] = {{"123", 2, 12}, {"-77", 2, -7}, {"+9", 1, 0}, {" 5", 1, 0}};
  for (const auto& c : cases) {
    EXPECT_EQ(ReadDecimal(std::string_view(c.bytes, c.length)), c.value) << c.bytes;
  }
}

}  // namespace
}  // namespace tovrand
