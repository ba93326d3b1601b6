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

}  // namespace
}  // namespace tovrand
