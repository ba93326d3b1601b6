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

TEST(TeamTypeNameTest, NamesTheCodesAtTheEdgesAndOnlyThose) {
  const struct {
    int type;
    const char* name;  // nullptr: no name
  } kCases[] = {
      {-1, nullptr},
      {0, "Command Infantry"},
      {3, "Crew"},
      {5, "Anti-Tank Infantry"},
      {19, "Light AT Gun"},
      {26, "Light Assault Gun"},
      {34, "Medium Tank"},
      {36, "Jumbo Tank"},
      {37, "HMG Halftrack"},
      {38, "Mortar Halftrack"},
      {39, nullptr},
      {32767, nullptr},
  };
  for (const auto& c : kCases) {
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
