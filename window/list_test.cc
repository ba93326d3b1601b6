#include "window/list.h"

#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <vector>

#include "testing/data_builder.h"
#include "testing/scratch_dir.h"

namespace tovrand {
namespace {

using Rows = std::vector<int32_t>;

// Six changes, each German quantity halved: in file order
//   0 Zug Ärger 1943 slot 1 Panzer IV  20 -> 10
//   1 Zug Ärger 1943 slot 2 Grenadiers  8 -> 4
//   2 alpha        0 slot 1 Grenadiers  6 -> 3
//   3 alpha        0 slot 2 Panzer IV   4 -> 2
//   4 Beta      1944 slot 1 Panzer IV  10 -> 5
//   5 BETA      1944 slot 1 Grenadiers  2 -> 1
class SixChanges {
 public:
  SixChanges() {
    const std::vector<testdata::Pool> pools = {
        {"Zug \xC4rger", 1, 1943, {{5, 20}, {9, 8}}},
        {"alpha", 1, 0, {{9, 6}, {5, 4}}},
        {"Beta", 1, 1944, {{5, 10}}},
        {"BETA", 1, 1944, {{9, 2}}},
    };
    testdata::WriteFile(dir_ / "Tables.ini", testdata::StandardLayout());
    testdata::WriteFile(dir_ / "FPools.txt", testdata::PoolRecords(pools));
    testdata::WriteFile(dir_ / "AlsTeams.txt",
                        testdata::TeamRecords(testdata::kAlliedTeams));
    testdata::WriteFile(dir_ / "GETeams.txt",
                        testdata::TeamRecords(testdata::kGermanTeams));
    WindowValues values;
    values.tank_date0 = values.infantry_date0 = "50";
    values.tank_other = values.infantry_other = "50";
    preview_ = MakePreview(LoadFolder(dir_.path()), values);
  }
  const Preview& preview() const { return *preview_; }

 private:
  ScratchDir dir_;
  std::unique_ptr<Preview> preview_;
};

bool ByBytes(const std::string& a, const std::string& b) { return a < b; }

// As a user's language might: "Ä" with "a", and no case.
bool ByLetters(const std::string& a, const std::string& b) {
  auto fold = [](std::string text) {
    for (size_t at; (at = text.find("\xC3\x84")) != std::string::npos;)
      text.replace(at, 2, "a");
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
  };
  return fold(a) < fold(b);
}

// Numbers sort as numbers, texts by the order given; rows that compare
// equal stay in file order, either way.
TEST(WindowListTest, SortsByEachColumnEitherWay) {
  const SixChanges six;
  ASSERT_EQ(six.preview().rows.size(), 6u);
  const struct {
    int column;
    bool letters;  // ByLetters, else ByBytes
    Rows up, down;
  } kCases[] = {
      {0, false, {5, 4, 0, 1, 2, 3}, {2, 3, 0, 1, 4, 5}},
      {0, true, {2, 3, 4, 5, 0, 1}, {0, 1, 4, 5, 2, 3}},
      {1, false, {0, 1, 2, 3, 4, 5}, {0, 1, 2, 3, 4, 5}},
      {2, false, {2, 3, 0, 1, 4, 5}, {4, 5, 0, 1, 2, 3}},
      {3, false, {0, 2, 4, 5, 1, 3}, {1, 3, 0, 2, 4, 5}},
      {4, false, {1, 2, 5, 0, 3, 4}, {0, 3, 4, 1, 2, 5}},
      {5, false, {0, 3, 4, 1, 2, 5}, {1, 2, 5, 0, 3, 4}},
      {6, false, {5, 3, 2, 1, 4, 0}, {0, 4, 1, 2, 3, 5}},
      {7, false, {5, 3, 2, 1, 4, 0}, {0, 4, 1, 2, 3, 5}},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE("column " + std::to_string(c.column) +
                 (c.letters ? " by letters" : ""));
    const TextLess less = c.letters ? ByLetters : ByBytes;
    EXPECT_EQ(SortRows(six.preview(), {c.column, false}, less), c.up);
    EXPECT_EQ(SortRows(six.preview(), {c.column, true}, less), c.down);
  }
  EXPECT_EQ(SortRows(six.preview(), ListOrder(), ByBytes), Rows{});  // file order
  EXPECT_EQ(RowAt({}, 4), 4);
  EXPECT_EQ(RowAt({5, 3, 2}, 1), 3);
}

// A click sorts by its column, smallest first; a second the other way.
TEST(WindowListTest, EachClickOnAHeaderTurnsItsOrder) {
  const struct {
    ListOrder now;
    int column;
    ListOrder then;
  } kCases[] = {
      {{-1, false}, 2, {2, false}},
      {{2, false}, 2, {2, true}},
      {{2, true}, 2, {2, false}},
      {{2, true}, 6, {6, false}},
  };
  for (const auto& c : kCases) {
    const ListOrder then = ClickedOrder(c.now, c.column);
    EXPECT_EQ(then.column, c.then.column);
    EXPECT_EQ(then.descending, c.then.descending);
  }
}

// What Ctrl+C copies: the header line, then the rows given in their order,
// as the list shows them, in UTF-8.
TEST(WindowListTest, CopiesTheHeaderAndTheRowsAsTheListShowsThem) {
  const SixChanges six;
  const std::string header = "Pool\tSide\tDate\tSlot\tTeam\tType\tOld\tNew\r\n";
  const struct {
    Rows rows;
    std::string text;
  } kCases[] = {
      {{}, header},
      {{4, 0},
       header + "Beta\tGerman\t1944\t1\tPanzer IV\tMedium Tank\t10\t5\r\n"
                "Zug \xC3\x84rger\tGerman\t1943\t1\tPanzer IV\tMedium Tank\t20\t10\r\n"},
      {{0, 1, 2, 3, 4, 5},
       header +
           "Zug \xC3\x84rger\tGerman\t1943\t1\tPanzer IV\tMedium Tank\t20\t10\r\n"
           "Zug \xC3\x84rger\tGerman\t1943\t2\tGrenadiers\tRifle\t8\t4\r\n"
           "alpha\tGerman\t0\t1\tGrenadiers\tRifle\t6\t3\r\n"
           "alpha\tGerman\t0\t2\tPanzer IV\tMedium Tank\t4\t2\r\n"
           "Beta\tGerman\t1944\t1\tPanzer IV\tMedium Tank\t10\t5\r\n"
           "BETA\tGerman\t1944\t1\tGrenadiers\tRifle\t2\t1\r\n"},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.rows.size());
    EXPECT_EQ(CopiedRows(six.preview(), c.rows), c.text);
    // In pieces of whole lines: a line each, or as many as reach 100 bytes.
    for (const size_t piece : {1, 100}) {
      const std::vector<std::string> pieces = CopiedPieces(six.preview(), c.rows, piece);
      std::string joined;
      for (const std::string& p : pieces) {
        EXPECT_EQ(p.substr(p.size() - 2), "\r\n");
        joined += p;
      }
      EXPECT_EQ(joined, c.text);
      EXPECT_EQ(pieces.size(), piece == 1 ? c.rows.size() + 1 : pieces.size());
    }
  }
  // Those of 100 bytes end at the first line end at or after it.
  const std::vector<std::string> hundred = CopiedPieces(six.preview(), {0, 1, 2, 3, 4, 5}, 100);
  ASSERT_EQ(hundred.size(), 3u);
  EXPECT_EQ(hundred[0].size(), 39u + 54 + 47);  // the header and two rows
  EXPECT_EQ(hundred[2], "BETA\tGerman\t1944\t1\tGrenadiers\tRifle\t2\t1\r\n");
}

}  // namespace
}  // namespace tovrand
