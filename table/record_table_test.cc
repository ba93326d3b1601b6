#include "table/record_table.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "testing/data_builder.h"
#include "testing/file_buffer_shortage.h"
#include "testing/scratch_dir.h"

namespace tovrand {
namespace {

// A table of `record_size`-byte records with these columns over `bytes`.
RecordTable MakeTable(int32_t record_size,
                      std::vector<std::pair<std::string, int>> columns,
                      const std::string& bytes) {
  std::vector<ColumnDef> defs;
  for (auto& [name, width] : columns) defs.push_back({width, name, 'S'});
  RecordTable table;
  table.SetLayout(record_size, std::move(defs));
  EXPECT_TRUE(table.LoadBytes(bytes));
  return table;
}

TEST(RecordTableTest, FieldsAreLittleEndianAndSigned) {
  RecordTable t = MakeTable(4, {{"Lo", 1}, {"Word", 2}, {"Hi", 1}},
                            std::string("\x80\xFF\xFF\x7F", 4));
  int v = 0;
  ASSERT_EQ(t.GetByte(0, "Lo", &v), 1);
  EXPECT_EQ(v, -128);
  ASSERT_EQ(t.GetWord(0, "Word", &v), 1);
  EXPECT_EQ(v, -1);
  ASSERT_EQ(t.GetByte(0, "Hi", &v), 1);
  EXPECT_EQ(v, 127);

  const struct {
    int value;
    const char* bytes;
  } puts[] = {{-1, "\xFF\xFF"},
              {0x1234, "\x34\x12"},
              {70000, "\x70\x11"},
              {-32769, "\xFF\x7F"},
              {0, "\0\0"}};
  for (const auto& p : puts) {
    ASSERT_EQ(t.PutWord(0, "Word", p.value), 1);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(t.data()) + 1, 2),
              std::string(p.bytes, 2))
        << p.value;
  }
  // Neighbouring bytes are untouched.
  EXPECT_EQ(t.data()[0], 0x80);
  EXPECT_EQ(t.data()[3], 0x7F);
}

TEST(RecordTableTest, OffsetsAreSignedSumsAndTheFirstNameWins) {
  RecordTable t = MakeTable(
      8,
      {{"A", 2}, {"Dup", 2}, {"Zero", 0}, {"Back", -3}, {"B", 2}, {"Dup", 1}},
      "01234567");
  EXPECT_EQ(t.Find("A").offset, 0);
  EXPECT_EQ(t.Find("Dup").offset, 2);
  EXPECT_EQ(t.Find("Zero").offset, 4);
  EXPECT_EQ(t.Find("Back").offset, 4);
  EXPECT_EQ(t.Find("B").offset, 1);
  EXPECT_FALSE(t.Find("dup").found);
  EXPECT_FALSE(t.Find("Missing").found);
  std::string_view text;
  ASSERT_EQ(t.GetText(0, "B", &text), 1);
  EXPECT_EQ(text, "1234567");
}

// A text field is read up to its column's width, or to the end of the
// record when the width is not positive; a column that starts outside the
// record, or is not there, gives nothing. Of two columns of one name the
// first counts, as for its offset.
TEST(RecordTableTest, ATextReadsAtMostItsWidthWithinTheRecord) {
  const RecordTable t = MakeTable(
      8,
      {{"A", 2}, {"Dup", 2}, {"Zero", 0}, {"Back", -3}, {"B", 9}, {"Dup", 1},
       {"Far", 20}, {"Past", 2}, {"Before", -40}, {"Neg", 1}},
      "01234567");
  const struct {
    const char* column;
    size_t limit;
  } kCases[] = {{"A", 2},    {"Dup", 2},  {"Zero", 4},   {"Back", 4},
                {"B", 7},    {"Far", 0},  {"Past", 0},   {"Neg", 0},
                {"Missing", 0}};
  for (const auto& c : kCases) EXPECT_EQ(t.TextLimit(c.column), c.limit) << c.column;
}

// Every access that does not lie inside the loaded bytes fails, leaves the
// out value alone and writes nothing.
TEST(RecordTableTest, AccessesOutsideTheBytesFail) {
  // Two 4-byte records and two trailing bytes.
  const std::string bytes = "abcdefghij";
  RecordTable t = MakeTable(4, {{"Back", -2}, {"Front", 2}}, bytes);
  // Offsets: Back 0, Front -2 (before its record).
  ASSERT_EQ(t.recordCount(), 2);
  const struct {
    const char* name;
    int index;
    bool word_ok;
    bool byte_ok;
  } cases[] = {
      {"Back", 0, true, true},      {"Back", 1, true, true},
      {"Front", 0, false, false},   {"Front", 1, true, true},
      {"Missing", 0, false, false}, {"Back", -1, false, false},
      {"Back", 2, false, false},
  };
  for (const auto& c : cases) {
    int v = 999;
    EXPECT_EQ(t.GetWord(c.index, c.name, &v), c.word_ok ? 1 : 0) << c.name;
    if (!c.word_ok) {
      EXPECT_EQ(v, 999);
    }
    v = 999;
    EXPECT_EQ(t.GetByte(c.index, c.name, &v), c.byte_ok ? 1 : 0) << c.name;
    if (!c.byte_ok) {
      EXPECT_EQ(v, 999);
    }
    EXPECT_EQ(t.PutWord(c.index, c.name, 0x4141), c.word_ok ? 1 : 0);
  }
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(t.data()), 10),
            "AAAAAAghij");
}

TEST(RecordTableTest, FieldsNearTheEndOfTheBytes) {
  // One 4-byte record, no trailing bytes: a word at offset 3 would reach
  // past the end, a byte there still fits.
  RecordTable t = MakeTable(4, {{"Pad", 3}, {"Last", 1}}, "xyz\x05");
  int v = 7;
  EXPECT_EQ(t.GetWord(0, "Last", &v), 0);
  EXPECT_EQ(v, 7);
  EXPECT_EQ(t.PutWord(0, "Last", 1), 0);
  EXPECT_EQ(t.GetByte(0, "Last", &v), 1);
  EXPECT_EQ(v, 5);

  // Text ends at the first NUL, at the end of the bytes, or at the limit.
  RecordTable s = MakeTable(4, {{"Text", 1}, {"Past", 10}, {"Out", 1}},
                            std::string("ab\0cdefg", 8));
  std::string_view text = "unchanged";
  EXPECT_EQ(s.GetText(0, "Text", &text), 1);
  EXPECT_EQ(text, "ab");
  EXPECT_EQ(s.GetText(1, "Text", &text), 1);
  EXPECT_EQ(text, "defg");
  EXPECT_EQ(s.GetText(1, s.Find("Text"), &text, 1), 1);
  EXPECT_EQ(text, "d");
  text = "unchanged";
  EXPECT_EQ(s.GetText(0, "Out", &text), 0);
  EXPECT_EQ(text, "unchanged");
}

TEST(RecordTableTest, RecordCountIgnoresTrailingBytesAndMissingSize) {
  const struct {
    int32_t record_size;
    size_t length;
    int32_t count;
  } cases[] = {{424, 0, 0}, {424, 848 + 5, 2}, {4, 4, 1}, {0, 10, 0}};
  for (const auto& c : cases) {
    RecordTable t = MakeTable(c.record_size, {}, std::string(c.length, 'x'));
    EXPECT_EQ(t.recordCount(), c.count);
    EXPECT_EQ(t.length(), static_cast<int32_t>(c.length));
  }
}

TEST(RecordTableTest, LoadAndSaveKeepEveryByte) {
  ScratchDir dir;
  const size_t sizes[] = {0, 1, 8191, 8192, 8193, 3 * 424 + 7, 200000};
  for (size_t size : sizes) {
    std::string bytes(size, '\0');
    for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>(i * 7 + 3);
    testdata::WriteFile(dir / "in.bin", bytes);
    RecordTable t;
    t.SetLayout(424, {});
    ReadResult result = ReadResult::kOk;
    ASSERT_TRUE(t.Load(dir / "in.bin", &result)) << size;
    EXPECT_EQ(t.recordCount(), static_cast<int32_t>(size / 424));
    ASSERT_TRUE(t.Save(dir / "out.bin"));
    EXPECT_EQ(testdata::ReadFile(dir / "out.bin"), bytes) << size;
  }
  // Only the two files: no temporary file is left behind.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()),
                          std::filesystem::directory_iterator()),
            2);
}

TEST(RecordTableTest, LoadFailsOnWhatCannotBeRead) {
  ScratchDir dir;
  std::filesystem::create_directory(dir / "subdir");
  for (const std::string& path : {dir / "missing.txt", dir / "subdir"}) {
    RecordTable t;
    ReadResult result = ReadResult::kOk;
    EXPECT_FALSE(t.Load(path, &result)) << path;
    EXPECT_NE(result, ReadResult::kOk);
  }
}

// Bytes held without the memory for them: false, and the table holds no
// bytes, not those it held before.
TEST(RecordTableTest, BytesWithoutMemoryForThemAreNotHeld) {
  RecordTable t = MakeTable(4, {{"Word", 2}}, "abcdefgh");
  {
    const FileBufferShortage shortage(1, false);
    EXPECT_FALSE(t.LoadBytes("12345678"));
  }
  EXPECT_EQ(t.length(), 0);
  EXPECT_EQ(t.recordCount(), 0);
  EXPECT_TRUE(t.LoadBytes("12345678"));
  EXPECT_EQ(t.recordCount(), 2);
}

TEST(RecordTableTest, FilesOverTheLengthLimitAreRefused) {
  ScratchDir dir;
  // A sparse file costs no disk space.
  testdata::WriteFile(dir / "huge.txt", "");
  std::filesystem::resize_file(dir / "huge.txt", RecordTable::kMaxLength + 1);
  RecordTable t;
  t.SetLayout(424, {});
  ReadResult result = ReadResult::kOk;
  EXPECT_FALSE(t.Load(dir / "huge.txt", &result));
  EXPECT_EQ(result, ReadResult::kTooLarge);
  EXPECT_EQ(ReadFailureLine(result, dir / "huge.txt"),
            dir / "huge.txt" + " is too large: more than 2147483647 bytes");
  EXPECT_EQ(t.length(), 0);
}

TEST(RecordTableTest, FailedSaveLeavesThePreviousFileAndNoStrayFile) {
  ScratchDir dir;
  RecordTable t = MakeTable(4, {}, "new bytes");
  // The target's directory is missing.
  EXPECT_FALSE(t.Save(dir / "missing/out.txt"));
  // The target is a directory.
  std::filesystem::create_directory(dir / "taken");
  EXPECT_FALSE(t.Save(dir / "taken"));
  EXPECT_TRUE(std::filesystem::is_directory(dir / "taken"));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()),
                          std::filesystem::directory_iterator()),
            1);
  // A previous file is replaced whole.
  testdata::WriteFile(dir / "out.txt", "a much longer previous content");
  ASSERT_TRUE(t.Save(dir / "out.txt"));
  EXPECT_EQ(testdata::ReadFile(dir / "out.txt"), "new bytes");
}

}  // namespace
}  // namespace tovrand
