#include "base/decimal.h"

#include <cstddef>

namespace tovrand {

namespace {

bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' ||
         c == '\r';
}

}  // namespace

int32_t ReadDecimal(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && IsSpace(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  // Accumulate the magnitude in 64 bits and stop growing it once it is past
  // the 32-bit range, so any number of digits is read without overflow.
  const int64_t limit = negative ? -static_cast<int64_t>(INT32_MIN) : INT32_MAX;
  int64_t magnitude = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    if (magnitude < limit) magnitude = magnitude * 10 + (text[i] - '0');
  }
  if (magnitude > limit) magnitude = limit;
  return static_cast<int32_t>(negative ? -magnitude : magnitude);
}

}  // namespace tovrand
