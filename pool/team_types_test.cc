#include "pool/team_types.h"

#include <gtest/gtest.h>

#include <set>

namespace tovrand {
namespace {

TEST(CategoryOfTest, TankAndInfantryAreExactlyTheirCodes) {
  const std::set<int> tank = {2, 23, 24, 27, 28, 29, 30, 31, 32, 33, 34, 35};
  const std::set<int> infantry = {0, 4, 5, 6, 7, 8, 9, 10, 11, 12};
  for (int type = -40000; type <= 40000; ++type) {
    const TeamCategory expected = tank.count(type) ? TeamCategory::kTank
                                  : infantry.count(type)
                                      ? TeamCategory::kInfantry
                                      : TeamCategory::kNone;
    ASSERT_EQ(CategoryOf(type), expected) << type;
  }
}

// Every code from 0 to 38 has the name modders know it by; the codes just
// outside, and the largest, have none.
TEST(TeamTypeNameTest, NamesEveryCodeAndOnlyThose) {
  const struct {
    int type;
    const char* name;  // nullptr: no name
  } kCases[] = {
      {-1, nullptr},
      {0, "Command Infantry"},
      {1, "Command Halftrack"},
      {2, "Command Tank"},
      {3, "Crew"},
      {4, "Sniper"},
      {5, "Anti-Tank Infantry"},
      {6, "Scout"},
      {7, "Rifle"},
      {8, "Heavy Rifle"},
      {9, "Assault Infantry"},
      {10, "Engineer"},
      {11, "Machine Gun"},
      {12, "Mortar"},
      {13, "Light Infantry Gun"},
      {14, "Medium Infantry Gun"},
      {15, "Heavy Infantry Gun"},
      {16, "Light Flak Gun"},
      {17, "Medium Flak Gun"},
      {18, "Heavy Flak Gun"},
      {19, "Light AT Gun"},
      {20, "Medium AT Gun"},
      {21, "Heavy AT Gun"},
      {22, "Truck"},
      {23, "Halftrack"},
      {24, "Recon Vehicle"},
      {25, "Flak Vehicle"},
      {26, "Light Assault Gun"},
      {27, "Medium Assault Gun"},
      {28, "Heavy Assault Gun"},
      {29, "Jumbo Assault Gun"},
      {30, "Light Tank Destroyer"},
      {31, "Medium Tank Destroyer"},
      {32, "Heavy Tank Destroyer"},
      {33, "Light Tank"},
      {34, "Medium Tank"},
      {35, "Heavy Tank"},
      {36, "Jumbo Tank"},
      {37, "HMG Halftrack"},
      {38, "Mortar Halftrack"},
      {39, nullptr},
      {32767, nullptr},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.type);
    const char* name = TeamTypeName(c.type);
    if (c.name == nullptr) {
      EXPECT_EQ(name, nullptr) << c.type;
    } else {
      ASSERT_NE(name, nullptr) << c.type;
      EXPECT_STREQ(name, c.name) << c.type;
    }
  }
}

}  // namespace
}  // namespace tovrand
