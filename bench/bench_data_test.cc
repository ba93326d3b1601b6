#include "bench/bench_data.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>

#include "pool/scale_fpools.h"
#include "table/layout_reader.h"
#include "testing/collected_messages.h"
#include "testing/data_builder.h"
#include "testing/scratch_dir.h"

namespace tovrand {
namespace {

using testdata::GetWord;
using testdata::ReadFile;

struct Files {
  std::string layout, fpools, alsteams, geteams;

  explicit Files(const ScratchDir& dir)
      : layout(ReadFile(dir / "Tables.ini")),
        fpools(ReadFile(dir / "FPools.txt")),
        alsteams(ReadFile(dir / "AlsTeams.txt")),
        geteams(ReadFile(dir / "GETeams.txt")) {}
};

// The classes of a team file, in record order.
std::vector<int> ClassesOf(const std::string& teams) {
  std::vector<int> classes;
  for (size_t at = 0; at + testdata::kTeamSize <= teams.size();
       at += testdata::kTeamSize)
    classes.push_back(GetWord(teams, at + testdata::kTeamClass));
  return classes;
}

TEST(BenchDataTest, DataIsWellFormedAndRunsForEitherSide) {
  const bench::DataShape shapes[] = {
      {1, 1, 1, 7}, {500, 16, 600, 1}, {2000, 19, 32768, 3}};
  for (const bench::DataShape& shape : shapes) {
    SCOPED_TRACE(std::to_string(shape.pools) + " pools, " +
                 std::to_string(shape.teams) + " teams");
    ScratchDir dir;
    std::string error;
    ASSERT_TRUE(bench::MakeData(dir.path(), shape, &error)) << error;
    const Files files(dir);
    EXPECT_EQ(
        static_cast<int64_t>(files.layout.size() + files.fpools.size() +
                             files.alsteams.size() + files.geteams.size()),
        bench::InputBytes(shape));
    ASSERT_EQ(files.fpools.size(), shape.pools * testdata::kPoolSize);

    // Each side's classes are 0 .. teams-1, each once, not in record order.
    for (const std::string* teams : {&files.alsteams, &files.geteams}) {
      const std::vector<int> classes = ClassesOf(*teams);
      ASSERT_EQ(classes.size(), static_cast<size_t>(shape.teams));
      EXPECT_EQ(std::set<int>(classes.begin(), classes.end()).size(),
                classes.size());
      EXPECT_EQ(*std::min_element(classes.begin(), classes.end()), 0);
      EXPECT_EQ(*std::max_element(classes.begin(), classes.end()),
                shape.teams - 1);
    }

    // Exactly `slots` slots a pool, each of a class its side has.
    for (int64_t i = 0; i < shape.pools; ++i) {
      const size_t pool = static_cast<size_t>(i) * testdata::kPoolSize;
      for (int k = 1; k <= shape.slots; ++k) {
        const int team_class =
            GetWord(files.fpools, pool + testdata::TeamClassOffset(k));
        ASSERT_TRUE(team_class >= 0 && team_class < shape.teams) << i;
      }
      ASSERT_LT(GetWord(files.fpools,
                        pool + testdata::TeamClassOffset(shape.slots + 1)),
                0);
    }

    for (SideCode side : {SideCode::kAllied, SideCode::kGerman}) {
      GameTables tables;
      LayoutError error;
      ASSERT_TRUE(ReadLayouts(files.layout, &tables, &error));
      EXPECT_TRUE(tables.fpools.LoadBytes(files.fpools));
      EXPECT_TRUE(tables.geteams.LoadBytes(files.geteams));
      EXPECT_TRUE(tables.alsteams.LoadBytes(files.alsteams));
      CollectedMessages messages;
      EXPECT_EQ(ScaleFPools(side, &tables, Percentages(), &messages), 1);
      EXPECT_TRUE(messages.lines.empty());
    }
  }
}

TEST(BenchDataTest, PoolsMixSidesDatesAndKeptNames) {
  ScratchDir dir;
  std::string error;
  ASSERT_TRUE(bench::MakeData(dir.path(), {1000, 4, 50, 1}, &error)) << error;
  const std::string pools = ReadFile(dir / "FPools.txt");
  std::set<int> nationalities;
  int date0 = 0, kept = 0;
  for (size_t at = 0; at < pools.size(); at += testdata::kPoolSize) {
    nationalities.insert(pools[at + testdata::kPoolNationality]);
    date0 += GetWord(pools, at + testdata::kPoolDate) == 0;
    const std::string prefix = pools.substr(at, 6);
    kept += prefix == "German" || prefix == "Allied";
  }
  EXPECT_EQ(nationalities, (std::set<int>{0, 1}));
  EXPECT_GT(date0, 100);
  EXPECT_LT(date0, 400);
  EXPECT_GT(kept, 5);
  EXPECT_LT(kept, 60);
}

TEST(BenchDataTest, TheSameShapeGivesTheSameBytes) {
  ScratchDir a, b;
  std::string error;
  ASSERT_TRUE(bench::MakeData(a.path(), {300, 8, 100, 5}, &error));
  ASSERT_TRUE(bench::MakeData(b.path(), {300, 8, 100, 5}, &error));
  for (const char* name :
       {"Tables.ini", "FPools.txt", "AlsTeams.txt", "GETeams.txt"})
    EXPECT_EQ(ReadFile(a / name), ReadFile(b / name)) << name;
}

TEST(BenchDataTest, BadShapesAreRefused) {
  const bench::DataShape shapes[] = {{-1, 16, 600, 1},
                                     {10, 0, 600, 1},
                                     {10, 20, 600, 1},
                                     {10, 16, 0, 1},
                                     {10, 16, 32769, 1}};
  for (const bench::DataShape& shape : shapes) {
    ScratchDir dir;
    std::string error;
    EXPECT_FALSE(bench::MakeData(dir.path(), shape, &error));
    EXPECT_FALSE(error.empty());
  }
}

}  // namespace
}  // namespace tovrand
