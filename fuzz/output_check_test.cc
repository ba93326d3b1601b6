#include "fuzz/output_check.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace tovrand {
namespace {

using Columns = std::vector<std::pair<std::string, int>>;

RecordTable MakeTable(int32_t record_size, const Columns& columns,
                      const std::string& bytes) {
  std::vector<ColumnDef> defs;
  for (const auto& [name, width] : columns) defs.push_back({width, name, 'W'});
  RecordTable table;
  table.SetLayout(record_size, std::move(defs));
  EXPECT_TRUE(table.LoadBytes(bytes));
  return table;
}

// The indexes of the writable bytes.
std::vector<int> Writable(const RecordTable& table, int side) {
  std::vector<int> indexes;
  const std::vector<bool> writable =
      WritableBytes(table, static_cast<SideCode>(side));
  for (size_t i = 0; i < writable.size(); ++i) {
    if (writable[i]) indexes.push_back(static_cast<int>(i));
  }
  return indexes;
}

// Nationality, a pad byte, one slot: 6-byte records.
const Columns kOneSlot = {
    {"Nationality", 1}, {"Pad", 1}, {"Team Class 1", 2}, {"Quantity 1", 2}};

TEST(WritableBytesTest, QuantitiesOfThePoolsThatMayBeTheSides) {
  const struct {
    const char* what;
    int32_t record_size;
    Columns columns;
    std::string bytes;
    int side;
    std::vector<int> writable;
  } cases[] = {
      {"German pools",
       6,
       kOneSlot,
       std::string("\1.....\0.....\1.....", 18),
       1,
       {4, 5, 16, 17}},
      {"Allied pools",
       6,
       kOneSlot,
       std::string("\1.....\0.....\1.....", 18),
       0,
       {10, 11}},
      {"other nationalities",
       6,
       kOneSlot,
       std::string("\2.....\xFF.....", 12),
       1,
       {}},
      {"trailing bytes are no pool",
       6,
       kOneSlot,
       std::string("\1.....\1....", 11),
       1,
       {4, 5}},
      {"slots end before the first missing Team Class",
       11,
       {{"Nationality", 1},
        {"Team Class 1", 2},
        {"Quantity 1", 2},
        {"Quantity 2", 2},
        {"Team Class 3", 2},
        {"Quantity 3", 2}},
       std::string("\1..........", 11),
       1,
       {3, 4}},
      {"a slot without Quantity is skipped",
       9,
       {{"Nationality", 1},
        {"Team Class 1", 2},
        {"Team Class 2", 2},
        {"Quantity 2", 2},
        {"Pad", 2}},
       std::string("\1........", 9),
       1,
       {5, 6}},
      {"a quantity not whole inside the bytes",
       4,
       {{"Nationality", 1}, {"Team Class 1", 2}, {"Pad", 3}, {"Quantity 1", 2}},
       std::string("\1...\1...", 8),
       1,
       {6, 7}},
      {"a Nationality before the bytes",
       4,
       {{"Team Class 1", 2},
        {"Quantity 1", 2},
        {"Back", -7},
        {"Nationality", 1}},
       std::string(".\1......", 8),
       1,
       {6, 7}},
      // Quantity 1 of each pool is its last byte and the next pool's
      // Nationality: scaling a pool may make the next one the side's.
      {"a pool made the side's by the one before",
       4,
       {{"Nationality", 1}, {"Team Class 1", 2}, {"Quantity 1", 2}},
       std::string("\1...\0...\0...", 12),
       1,
       {3, 4, 7, 8}},
      {"only by the ones before",
       4,
       {{"Nationality", 1}, {"Team Class 1", 2}, {"Quantity 1", 2}},
       std::string("\0...\0...\1...", 12),
       1,
       {}},
  };
  for (const auto& c : cases) {
    const RecordTable table = MakeTable(c.record_size, c.columns, c.bytes);
    EXPECT_EQ(Writable(table, c.side), c.writable) << c.what;
  }
}

TEST(IsScaledFromTest, OnlyWritableBytesMayDiffer) {
  const std::string input("\1.....\0.....", 12);
  const RecordTable table = MakeTable(6, kOneSlot, input);
  const struct {
    const char* what;
    std::string output;
    bool scaled;
  } cases[] = {
      {"unchanged", input, true},
      {"the German quantity", std::string("\1...\x07\x01\0.....", 12), true},
      {"the Allied quantity", std::string("\1.....\0...\x07.", 12), false},
      {"a Team Class", std::string("\1.\x07...\0.....", 12), false},
      {"a Nationality", std::string("\1.....\1.....", 12), false},
      {"shorter", input.substr(0, 11), false},
      {"longer", input + ".", false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(IsScaledFrom(table, SideCode::kGerman, c.output), c.scaled)
        << c.what;
  }
}

// Names from the data may hold the warnings' words: only a warning that
// begins as these do counts.
TEST(ReportWarningTest, OnlyTheWarningsThemselves) {
  const struct {
    std::string line;
    bool other_bytes;
    bool lengths;
  } cases[] = {
      {"Warning: 1 byte differs outside the Quantity fields; the first is "
       "byte 3 of pool 1 \"A\" (German, date 0)",
       true, false},
      {"Warning: 12 bytes differ outside the Quantity fields; the first is "
       "byte 0 of the part record at the end",
       true, false},
      {"Warning: FPools.txt has 848 bytes and Output/FPools.txt 424: only "
       "their first 1 records were compared",
       false, true},
      {"records were compared (German, date 0), slot 1, Rifle Squad "
       "(Rifle): 10 -> 8",
       false, false},
      {"Warning: 2 bytes differ outside the Quantity fields (German, date "
       "0), slot 1, Rifle Squad (Rifle): 10 -> 8",
       false, false},
      {"Warning: Output/FPools.txt: 3 slots of pool 1 \"FPools.txt has \" "
       "(German, date 0) name no team",
       false, false},
      {"Warning: bytes differ outside the Quantity fields; no count", false,
       false},
      {"", false, false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(IsOtherBytesWarning(c.line), c.other_bytes) << c.line;
    EXPECT_EQ(IsLengthsWarning(c.line, "FPools.txt"), c.lengths) << c.line;
  }
}

}  // namespace
}  // namespace tovrand
