#include "pool/scale_fpools.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "pool/team_types.h"
#include "table/layout_reader.h"
#include "testing/collected_messages.h"
#include "testing/data_builder.h"

namespace tovrand {
namespace {

using testdata::Pool;
using testdata::Team;
using Lines = std::vector<std::string>;

// The four tables of a run, from a layout and the bytes of the data files.
struct Pass {
  GameTables tables;
  RecordTable& fpools = tables.fpools;
  RecordTable& geteams = tables.geteams;
  RecordTable& alsteams = tables.alsteams;
  CollectedMessages messages;
  std::string original;

  Pass(const std::vector<Pool>& pools, const std::vector<Team>& german,
       const std::vector<Team>& allied,
       const std::string& layout = testdata::StandardLayout()) {
    LayoutError error;
    EXPECT_TRUE(ReadLayouts(layout, &tables, &error));
    original = testdata::PoolRecords(pools);
    EXPECT_TRUE(fpools.LoadBytes(original));
    EXPECT_TRUE(geteams.LoadBytes(testdata::TeamRecords(german)));
    EXPECT_TRUE(alsteams.LoadBytes(testdata::TeamRecords(allied)));
  }

  int Scale(SideCode side, int tank0, int inf0, int tank_n, int inf_n) {
    return ScaleFPools(side, &tables, {tank0, inf0, tank_n, inf_n}, &messages);
  }

  std::string Bytes() const {
    return std::string(reinterpret_cast<const char*>(fpools.data()),
                       static_cast<size_t>(fpools.length()));
  }

  int Quantity(int pool, int k) const {
    return testdata::GetWord(
        Bytes(), pool * testdata::kPoolSize + testdata::QuantityOffset(k));
  }
};

const std::vector<Team> kGermanTeams = {{"Panzer IV", 5, kMediumTank},
                                        {"Grenadiers", 9, kRifle},
                                        {"Opel Blitz", 11, kTruck},
                                        {"Pioniere", 12, kEngineer}};
const std::vector<Team> kAlliedTeams = {{"Sherman", 5, kMediumTank},
                                        {"Riflemen", 7, kRifle},
                                        {"Jeep", 8, kReconVehicle}};

TEST(ScaleFPoolsTest, WorkedExample) {
  Pass p({{"Kampfgruppe", 1, 3, {{5, 12}, {9, 4}, {11, 0}}}}, kGermanTeams,
         kAlliedTeams);
  ASSERT_EQ(p.Scale(SideCode::kGerman, 100, 80, 50, 60), 1);
  EXPECT_TRUE(p.messages.lines.empty());
  EXPECT_EQ(p.Quantity(0, 1), 6);
  EXPECT_EQ(p.Quantity(0, 2), 2);
  EXPECT_EQ(p.Quantity(0, 3), 0);
}

TEST(ScaleFPoolsTest, TruncatingArithmetic) {
  const struct {
    int quantity, percent, scaled;
  } cases[] = {{7, 50, 3},          {1, 50, 0},          {10, 150, 15},
               {12, 100, 12},       {5, 0, 0},           {99, 99, 98},
               {32767, 100, 32767}, {20000, 163, 32600}, {1, 3276700, 32767},
               {-5, 50, -5},        {0, 200, 0},         {100, 32767, 32767}};
  for (const auto& c : cases) {
    Pass p({{"Pool", 1, 0, {{5, c.quantity}, {9, c.quantity}}}}, kGermanTeams,
           {});
    ASSERT_EQ(p.Scale(SideCode::kGerman, c.percent, c.percent, 1, 1), 1);
    EXPECT_EQ(p.Quantity(0, 1), c.scaled) << c.quantity << " at " << c.percent;
    EXPECT_EQ(p.Quantity(0, 2), c.scaled) << c.quantity << " at " << c.percent;
  }
}

TEST(ScaleFPoolsTest, QuantitiesBeyondTheFieldFailTheWholePass) {
  const struct {
    int quantity, percent;
  } cases[] = {{20000, 164},
               {20000, 1000},
               {20000, 2147483647},
               {100, 32768},
               {16384, 200}};  // 32768, one over
  for (const auto& c : cases) {
    Pass p({{"Pool", 1, 0, {{5, c.quantity}}}}, kGermanTeams, {});
    EXPECT_EQ(p.Scale(SideCode::kGerman, c.percent, 100, 100, 100), 0)
        << c.quantity << " at " << c.percent;
    EXPECT_EQ(p.messages.lines, Lines{"Error--Scaled quantity exceeds 32767"});
  }
}

TEST(ScaleFPoolsTest, WhichPoolsAreScaled) {
  const struct {
    const char* name;
    int nationality;
    SideCode side;
    bool scaled;
  } cases[] = {
      {"Kampfgruppe", 1, SideCode::kGerman, true},
      {"Germany East", 1, SideCode::kGerman, false},
      {"German", 1, SideCode::kGerman, false},
      {"American Armor", 0, SideCode::kAllied, false},
      {"Allied Reserve", 0, SideCode::kAllied, false},
      {"german infantry", 1, SideCode::kGerman, true},
      {"Allies", 0, SideCode::kAllied, true},
      {"Germa", 1, SideCode::kGerman, true},
      {"", 1, SideCode::kGerman, true},
      {"Kampfgruppe", 0, SideCode::kGerman, false},
      {"Task Force", 1, SideCode::kAllied, false},
      {"Task Force", 0, SideCode::kAllied, true},
      {"Oddity", -1, SideCode::kGerman, false},
      {"Oddity", -1, SideCode::kAllied, false},
      {"Oddity", 2, SideCode::kGerman, false},
  };
  for (const auto& c : cases) {
    Pass p({{c.name, c.nationality, 0, {{5, 10}}}}, kGermanTeams, kAlliedTeams);
    ASSERT_EQ(p.Scale(c.side, 50, 50, 50, 50), 1) << c.name;
    EXPECT_EQ(p.Quantity(0, 1), c.scaled ? 5 : 10) << c.name;
  }
}

TEST(ScaleFPoolsTest, DateSelectsThePercentages) {
  const struct {
    int date;
    int tank, inf;
  } cases[] = {{0, 90, 80}, {1, 70, 60}, {-1, 70, 60}, {1944, 70, 60}};
  for (const auto& c : cases) {
    Pass p({{"Pool", 1, c.date, {{5, 100}, {9, 100}, {11, 100}}}}, kGermanTeams,
           {});
    ASSERT_EQ(p.Scale(SideCode::kGerman, 90, 80, 70, 60), 1);
    EXPECT_EQ(p.Quantity(0, 1), c.tank) << c.date;
    EXPECT_EQ(p.Quantity(0, 2), c.inf) << c.date;
    EXPECT_EQ(p.Quantity(0, 3), 100) << c.date;  // a truck is in no category
  }
}

TEST(ScaleFPoolsTest, TheSidesTeamTableResolvesClasses) {
  // Class 5 is a tank for both sides, class 7 a rifle only for the Allies.
  Pass p({{"Task Force", 0, 0, {{5, 10}, {7, 10}, {8, 10}}}}, kGermanTeams,
         kAlliedTeams);
  ASSERT_EQ(p.Scale(SideCode::kAllied, 50, 20, 1, 1), 1);
  EXPECT_EQ(p.Quantity(0, 1), 5);
  EXPECT_EQ(p.Quantity(0, 2), 2);
  EXPECT_EQ(p.Quantity(0, 3), 5);
}

TEST(ScaleFPoolsTest, TheFirstTeamOfAClassGivesTheType) {
  Pass p({{"Pool", 1, 0, {{5, 10}}}},
         {{"Rifles", 5, kRifle}, {"Tank", 5, kLightTank}}, {});
  ASSERT_EQ(p.Scale(SideCode::kGerman, 50, 20, 1, 1), 1);
  EXPECT_EQ(p.Quantity(0, 1), 2);
}

TEST(ScaleFPoolsTest, AFailureStopsThePassWhereItIs) {
  // Pool 0 is scaled, pool 1 fails at its second slot, pool 2 is not reached.
  Pass p({{"First", 1, 0, {{5, 10}}},
          {"Second", 1, 0, {{5, 10}, {99, 0}, {5, 10}}},
          {"Third", 1, 0, {{5, 10}}}},
         kGermanTeams, {});
  EXPECT_EQ(p.Scale(SideCode::kGerman, 50, 50, 50, 50), 0);
  EXPECT_EQ(p.messages.lines,
            Lines{"Error--Failed to dereference  German team class"});
  EXPECT_EQ(p.Quantity(0, 1), 5);
  EXPECT_EQ(p.Quantity(1, 1), 5);
  EXPECT_EQ(p.Quantity(1, 3), 10);
  EXPECT_EQ(p.Quantity(2, 1), 10);
}

TEST(ScaleFPoolsTest, SlotsRunToTheFirstNegativeClass) {
  // A negative first class resolves nothing, so even an empty team table
  // will do; slots after a negative class are never looked at.
  Pass p({{"Empty", 1, 0, {{-1, 10}, {99, 10}}},
          {"Short", 1, 0, {{5, 10}, {-7, 10}, {99, 10}}}},
         {}, {});
  EXPECT_EQ(p.Scale(SideCode::kGerman, 50, 50, 50, 50), 0);
  EXPECT_EQ(p.messages.lines,
            Lines{"Error--Failed to dereference  German team class"});

  Pass q({{"Short", 1, 0, {{5, 10}, {-7, 10}, {99, 10}}}}, kGermanTeams, {});
  ASSERT_EQ(q.Scale(SideCode::kGerman, 50, 50, 50, 50), 1);
  EXPECT_EQ(q.Bytes().substr(testdata::TeamClassOffset(2)),
            q.original.substr(testdata::TeamClassOffset(2)));
}

// Replaces one column line of the standard layout.
std::string LayoutWith(const std::string& from, const std::string& to) {
  std::string layout = testdata::StandardLayout();
  const size_t at = layout.find(from);
  EXPECT_NE(at, std::string::npos) << from;
  return layout.replace(at, from.size(), to);
}

// Replaces a column line in the second team section (GETeams).
std::string GermanLayoutWith(const std::string& from, const std::string& to) {
  std::string layout = testdata::StandardLayout();
  const size_t at = layout.find(from, layout.find("[GETeams]"));
  EXPECT_NE(at, std::string::npos) << from;
  return layout.replace(at, from.size(), to);
}

TEST(ScaleFPoolsTest, FailureMessages) {
  const std::vector<Pool> german_pool = {{"Pool", 1, 0, {{5, 10}, {9, 0}}}};
  const std::vector<Pool> allied_pool = {{"Pool", 0, 0, {{5, 10}, {7, 0}}}};
  std::vector<Pool> full(1, {"Full", 1, 0, {}});
  for (int k = 0; k < testdata::kPoolSlots; ++k)
    full[0].slots.push_back({5, 1});
  const struct {
    const char* what;
    std::vector<Pool> pools;
    SideCode side;
    std::vector<Team> german, allied;
    std::string layout;
    const char* message;
  } cases[] = {
      {"no Name column", german_pool, SideCode::kGerman, kGermanTeams,
       kAlliedTeams,
       LayoutWith("\"Name\",S,40\r\n\"Nationality\"",
                  "\"Title\",S,40\r\n\"Nationality\""),
       "Error--No name"},
      {"no Nationality column", german_pool, SideCode::kGerman, kGermanTeams,
       kAlliedTeams, LayoutWith("\"Nationality\",B", "\"Nation\",B"),
       "Failed to get Nationality from FPools"},
      {"no Date column", german_pool, SideCode::kGerman, kGermanTeams,
       kAlliedTeams, LayoutWith("\"Date\",W", "\"Year\",W"),
       "Failed to get Date from FPools"},
      {"every slot column used", full, SideCode::kGerman, kGermanTeams,
       kAlliedTeams, testdata::StandardLayout(), "Error--Can't get Team Class"},
      {"no Quantity 2 column", german_pool, SideCode::kGerman, kGermanTeams,
       kAlliedTeams, LayoutWith("\"Quantity 2\",W", "\"Qty 2\",W"),
       "Can't get qty"},
      {"German class missing, quantity 0",
       german_pool,
       SideCode::kGerman,
       {{"Tank", 5, kMediumTank}},
       kAlliedTeams,
       testdata::StandardLayout(),
       "Error--Failed to dereference  German team class"},
      {"Allied class missing, quantity 0",
       allied_pool,
       SideCode::kAllied,
       kGermanTeams,
       {{"Tank", 5, kMediumTank}},
       testdata::StandardLayout(),
       "Error--Failed to dereference  Allied team class"},
      {"empty Allied table",
       allied_pool,
       SideCode::kAllied,
       kGermanTeams,
       {},
       testdata::StandardLayout(),
       "Error--Failed to dereference  Allied team class"},
      {"no GETeams Class column", german_pool, SideCode::kGerman, kGermanTeams,
       kAlliedTeams, GermanLayoutWith("\"Class\",W", "\"Klasse\",W"),
       "Error--Can't get GETeams Class"},
      {"no AlsTeams Class column", allied_pool, SideCode::kAllied, kGermanTeams,
       kAlliedTeams, LayoutWith("\"Class\",W", "\"Kind\",W"),
       "Error--Can't get AlsTeams Class"},
      {"no GETeams Type column", german_pool, SideCode::kGerman, kGermanTeams,
       kAlliedTeams, GermanLayoutWith("\"Type\",W", "\"Art\",W"),
       "Error--Failed to get GETeams type"},
      {"no AlsTeams Type column", allied_pool, SideCode::kAllied, kGermanTeams,
       kAlliedTeams, LayoutWith("\"Type\",W", "\"Kind\",W"),
       "Error--Failed to get GETeams type"},
  };
  for (const auto& c : cases) {
    Pass p(c.pools, c.german, c.allied, c.layout);
    EXPECT_EQ(p.Scale(c.side, 50, 50, 50, 50), 0) << c.what;
    EXPECT_EQ(p.messages.lines, Lines{c.message}) << c.what;
  }
}

// A team table whose `Class` field cannot be read in some records fails a
// search that reaches such a record before a match, as a search from the
// first record would, and only then.
TEST(ScaleFPoolsTest, UnreadableClassFieldsFailOnlyWhenASearchReachesThem) {
  // `Class` at offset 259 of 260 spans a record's last byte and the next
  // record's first, the low byte of its `Type` (Light Tank, 33): the class
  // reads as 33 * 256 + the last byte, and the last record's `Class` would
  // cross the end of the bytes.
  const std::string layout =
      GermanLayoutWith("\"Name\",S,40\r\n\"Class\",W\r\n\"Type\",W",
                       "\"Type\",W\r\n\"Name\",S,257\r\n\"Class\",W");
  auto teams_with = [](int record, int low_byte) {
    std::string bytes(3 * testdata::kTeamSize, '\0');
    for (int j = 0; j < 3; ++j) bytes[j * testdata::kTeamSize] = kLightTank;
    bytes[record * testdata::kTeamSize + 259] = static_cast<char>(low_byte);
    return bytes;
  };
  const int kClass = 33 * 256 + 5;
  const struct {
    int record;  // where the class stands
    int slot_class;
    const char* message;  // null for success
  } cases[] = {
      {0, kClass, nullptr},
      {1, kClass, nullptr},
      {1, kClass + 1, "Error--Can't get GETeams Class"},
  };
  for (const auto& c : cases) {
    Pass p({{"Pool", 1, 0, {{c.slot_class, 10}}}}, {}, {}, layout);
    EXPECT_TRUE(p.geteams.LoadBytes(teams_with(c.record, 5)));
    EXPECT_EQ(p.Scale(SideCode::kGerman, 50, 50, 50, 50), c.message ? 0 : 1);
    EXPECT_EQ(p.messages.lines, c.message ? Lines{c.message} : Lines{});
    EXPECT_EQ(p.Quantity(0, 1), c.message ? 10 : 5);
  }
}

// A `Class` that cannot be read ends the search even when a later record
// holds the class. "Back" moves the team columns back by 560 bytes: the
// `Class` of records 0 and 1 lies before the bytes, record 2's at 0.
TEST(ScaleFPoolsTest, AnUnreadableClassBeforeTheMatchFailsTheSearch) {
  const std::string back = "\"Back\",S,-560\r\n\"Class\",W";
  std::string teams(3 * testdata::kTeamSize, '\0');
  testdata::PutWord(&teams, 0, 5);
  testdata::PutWord(&teams, 2, kMediumTank);
  const struct {
    SideCode side;
    int nationality;
    std::string layout;
    const char* message;
  } cases[] = {
      {SideCode::kGerman, 1, GermanLayoutWith("\"Class\",W", back),
       "Error--Can't get GETeams Class"},
      {SideCode::kAllied, 0, LayoutWith("\"Class\",W", back),
       "Error--Can't get AlsTeams Class"},
  };
  for (const auto& c : cases) {
    Pass p({{"Pool", c.nationality, 0, {{5, 10}}}}, {}, {}, c.layout);
    EXPECT_TRUE(p.geteams.LoadBytes(teams));
    EXPECT_TRUE(p.alsteams.LoadBytes(teams));
    EXPECT_EQ(p.Scale(c.side, 50, 50, 50, 50), 0) << c.message;
    EXPECT_EQ(p.messages.lines, Lines{c.message});
    EXPECT_EQ(p.Quantity(0, 1), 10) << c.message;
  }
}

// Team records of a negative class are passed over and take no other
// class's place; class 0 resolves like any other, with slots after it.
TEST(ScaleFPoolsTest, NegativeTeamClassesAreSkippedAndClassZeroResolves) {
  Pass p({{"Pool", 1, 0, {{0, 10}, {32767, 10}, {9, 10}}}},
         {{"Minus one", -1, kRifle},
          {"Lowest", -32768, kRifle},
          {"Zero", 0, kMediumTank},
          {"Highest", 32767, kMediumTank},
          {"Rifles", 9, kRifle}},
         {});
  ASSERT_EQ(p.Scale(SideCode::kGerman, 50, 20, 1, 1), 1)
      << testing::PrintToString(p.messages.lines);
  EXPECT_EQ(p.Quantity(0, 1), 5);
  EXPECT_EQ(p.Quantity(0, 2), 5);
  EXPECT_EQ(p.Quantity(0, 3), 2);
}

// The team index reads every class's `Type` when it is built, but a `Type`
// that cannot be read fails only a slot that resolves to that record, and
// only the first record of a class counts, whatever the quantity.
TEST(ScaleFPoolsTest, UnreadableTypeFailsOnlyTheSlotsThatReachIt) {
  // `Type` just past a record's end reads the next record's first two bytes
  // (set to Light Tank, 33) and, for the last record, lies outside the bytes.
  const std::string layout =
      GermanLayoutWith("\"Name\",S,40\r\n\"Class\",W\r\n\"Type\",W",
                       "\"Name\",S,258\r\n\"Class\",W\r\n\"Type\",W");
  auto teams_of = [](const std::vector<int>& classes) {
    std::string bytes(classes.size() * testdata::kTeamSize, '\0');
    for (size_t j = 0; j < classes.size(); ++j) {
      bytes[j * testdata::kTeamSize] = kLightTank;
      testdata::PutWord(&bytes, j * testdata::kTeamSize + 258, classes[j]);
    }
    return bytes;
  };
  const char* kNoType = "Error--Failed to get GETeams type";
  const struct {
    std::vector<int> classes;  // of the team records, in order
    int slot_class, quantity;
    const char* message;  // null for success
  } cases[] = {
      {{5, 6}, 5, 10, nullptr},  // record 0: Type from record 1's bytes
      {{5, 6}, 6, 10, kNoType},  // record 1, the last: Type outside
      {{5, 6}, 6, 0, kNoType},   // the type is read before the quantity
      {{6, 6}, 6, 10, nullptr},  // the first record of the class counts
      {{5, 6}, 7, 10, "Error--Failed to dereference  German team class"},
  };
  for (const auto& c : cases) {
    Pass p({{"Pool", 1, 0, {{c.slot_class, c.quantity}}}}, {}, {}, layout);
    EXPECT_TRUE(p.geteams.LoadBytes(teams_of(c.classes)));
    EXPECT_EQ(p.Scale(SideCode::kGerman, 50, 50, 50, 50), c.message ? 0 : 1);
    EXPECT_EQ(p.messages.lines, c.message ? Lines{c.message} : Lines{});
    if (!c.message) {
      EXPECT_EQ(p.Quantity(0, 1), c.quantity / 2);
    }
  }
}

TEST(ScaleFPoolsTest, OnlyScaledQuantitiesChange) {
  Pass p({{"German Reserve", 1, 0, {{5, 10}, {99, 3}}},
          {"Task Force", 0, 0, {{99, 10}}},
          {"Kampfgruppe", 1, 2, {{5, 9}, {9, 7}, {11, 5}, {12, 3}}}},
         kGermanTeams, kAlliedTeams);
  ASSERT_EQ(p.Scale(SideCode::kGerman, 100, 100, 50, 100), 1);
  std::string expected = p.original;
  testdata::PutWord(&expected,
                    2 * testdata::kPoolSize + testdata::QuantityOffset(1), 4);
  EXPECT_EQ(p.Bytes(), expected);
}

}  // namespace
}  // namespace tovrand
