#include "report/text.h"

#include <gtest/gtest.h>

#include <string>

namespace tovrand {
namespace {

// Bytes of the game's files, which are Windows-1252, as the report shows
// them in UTF-8.
TEST(TextTest, Windows1252ShowsAsItsCharacters) {
  const struct {
    std::string bytes;
    std::string shown;
  } kCases[] = {
      {"S\xFC"
       "d F\xFChrer",
       "S\xC3\xBC"
       "d F\xC3\xBChrer"},
      {"\xC0\xDF\xE9\xFF", "\xC3\x80\xC3\x9F\xC3\xA9\xC3\xBF"},
      {"\x80 \x8A\x8C\x9A\x9C\x9F",
       "\xE2\x82\xAC \xC5\xA0\xC5\x92\xC5\xA1\xC5\x93\xC5\xB8"},
      {"\x84\x85\x93\x94\x96\x97\x99",
       "\xE2\x80\x9E\xE2\x80\xA6\xE2\x80\x9C\xE2\x80\x9D\xE2\x80\x93\xE2\x80"
       "\x94\xE2\x84\xA2"},
      // The rest of the letters and signs of 80 to 9F.
      {"\x82\x83\x86\x87\x88\x89\x8B\x8E\x91\x92\x95\x98\x9B\x9E",
       "\xE2\x80\x9A\xC6\x92\xE2\x80\xA0\xE2\x80\xA1\xCB\x86\xE2\x80\xB0\xE2\x80"
       "\xB9\xC5\xBD\xE2\x80\x98\xE2\x80\x99\xE2\x80\xA2\xCB\x9C\xE2\x80\xBA"
       "\xC5\xBE"},
      {"\xA0\xA9", "\xC2\xA0\xC2\xA9"},
      // The five bytes the code page leaves undefined, and control
      // characters: C0, DEL.
      {"\x81\x8D\x8F\x90\x9D", "?????"},
      {std::string("a\0b\tc\r\n\x1B[2J\x7F", 12), "a?b?c???[2J?"},
  };
  for (const auto& c : kCases) {
    EXPECT_EQ(OnOneLine(c.bytes), c.shown) << c.bytes;
  }
  EXPECT_EQ(Printable("Name \xFC   "), "Name \xC3\xBC");
}

// Paths from the command line are UTF-8: what is not shows as '?'.
TEST(TextTest, PathsShowAsUtf8OnOneLine) {
  const struct {
    std::string path;
    std::string shown;
  } kCases[] = {
      {"", "\"\""},
      {"Output/FPools.txt", "Output/FPools.txt"},
      {"\xD0\x94\xD0\xB0\xD0\xBD\xD0\xBD\xD1\x8B\xD0\xB5/FPools.txt",
       "\xD0\x94\xD0\xB0\xD0\xBD\xD0\xBD\xD1\x8B\xD0\xB5/FPools.txt"},
      {"\xE3\x83\x87\xE3\x83\xBC\xE3\x82\xBF",
       "\xE3\x83\x87\xE3\x83\xBC\xE3\x82\xBF"},
      {"\xF0\x9F\x98\x80.txt", "\xF0\x9F\x98\x80.txt"},
      // The first letters of two and of three bytes.
      {"\xC2\xA0\xE0\xA0\x80", "\xC2\xA0\xE0\xA0\x80"},
      // Control characters: C0, DEL and C1 (U+0085).
      {"a\x1B[31m\nb\x7F", "a?[31m?b?"},
      {"\xC2\x85x\xC2\x9F", "?x?"},
      // Not UTF-8: a Latin-1 byte, an overlong form, a surrogate, a value
      // past U+10FFFF, a sequence cut short.
      {"S\xFC"
       "d",
       "S?d"},
      {"\xC0\xAF", "??"},
      {"\xED\xA0\x80", "???"},
      {"\xF4\x90\x80\x80", "????"},
      {"\xE2\x82", "??"},
  };
  for (const auto& c : kCases) {
    EXPECT_EQ(ShownPath(c.path), c.shown) << c.path;
  }
}

// A pool is named by what of it can be read: here its Nationality lies
// past the record's bytes, and it has no Date column.
TEST(TextTest, APoolIsNamedByWhatOfItCanBeRead) {
  RecordTable fpools;
  fpools.SetLayout(44, {{40, "Name", 'S'}, {460, "Pad", 'S'}, {1, "Nationality", 'B'}});
  ASSERT_TRUE(fpools.LoadBytes(std::string("Reserve\0", 8) + std::string(36, ' ')));
  EXPECT_EQ(DescribePool(fpools, PoolColumns(fpools), 0),
            "Reserve (no nationality)");
}

}  // namespace
}  // namespace tovrand
