#include "pool/scale_fpools.h"

#include <cstdint>
#include <cstring>
#include <string_view>

#include "pool/class_index.h"
#include "pool/pool_columns.h"
#include "pool/team_index.h"
#include "pool/team_types.h"

namespace tovrand {

namespace {

// Pools of these names are the game's own side pools; they are never scaled.
// Only the first six characters of a name are compared.
constexpr size_t kPrefixLength = 6;
constexpr char kKeptPrefixes[][kPrefixLength + 1] = {"German", "Allied",
                                                     "Americ"};

bool HasKeptPrefix(std::string_view name) {
  if (name.size() < kPrefixLength) return false;
  for (const char* prefix : kKeptPrefixes) {
    // A comparison of a fixed six bytes, which the compiler does in place.
    if (std::memcmp(name.data(), prefix, kPrefixLength) == 0) return true;
  }
  return false;
}

}  // namespace

int ScaleFPools(SideCode side, GameTables* tables, const Percentages& percent,
                Messages* messages) {
  // Pools that are scaled have the side's nationality, so one team table
  // serves the whole pass.
  return ScaleFPools(side, &tables->fpools, SideTeamTable(*tables, side),
                     percent, messages);
}

int ScaleFPools(SideCode side, RecordTable* fpools,
                const RecordTable& side_teams, const Percentages& percent,
                Messages* messages) {
  const PoolColumns pool(*fpools);
  const ClassIndex classes((TeamIndex(side_teams)));
  const bool allied = side == SideCode::kAllied;

  auto fail = [messages](const char* message) {
    messages->Line(message);
    return 0;
  };

  for (int i = 0; i < fpools->recordCount(); ++i) {
    fpools->PrefetchAhead(i);
    std::string_view name;
    if (!fpools->GetText(i, pool.name, &name, kPrefixLength))
      return fail("Error--No name");
    if (HasKeptPrefix(name)) continue;

    int nationality = 0;
    if (!fpools->GetByte(i, pool.nationality, &nationality))
      return fail("Failed to get Nationality from FPools");
    if (nationality != static_cast<int>(side)) continue;

    int date = 0;
    if (!fpools->GetWord(i, pool.date, &date))
      return fail("Failed to get Date from FPools");
    // The percentage of each category for this pool; a category that is not
    // scaled keeps its quantity, as 100 percent does.
    const int percent_of[] = {
        100, date == 0 ? percent.tank_date0 : percent.tank_other,
        date == 0 ? percent.infantry_date0 : percent.infantry_other};
    static_assert(static_cast<int>(TeamCategory::kNone) == 0 &&
                      static_cast<int>(TeamCategory::kTank) == 1 &&
                      static_cast<int>(TeamCategory::kInfantry) == 2,
                  "percent_of is indexed by category");

    // The first failure in a slot, printed once the walk has stopped.
    const char* failure = nullptr;
    const SlotWalk walk =
        VisitSlots(*fpools, pool.slots, i, [&](size_t k, int team_class) {
          TeamCategory category = TeamCategory::kNone;
          switch (classes.Find(team_class, &category)) {
            case ClassIndex::Result::kFound:
              break;
            case ClassIndex::Result::kClassUnreadable:
              failure = allied ? "Error--Can't get AlsTeams Class"
                               : "Error--Can't get GETeams Class";
              return false;
            case ClassIndex::Result::kMissing:
              failure = allied
                            ? "Error--Failed to dereference  Allied team class"
                            : "Error--Failed to dereference  German team class";
              return false;
            case ClassIndex::Result::kTypeUnreadable:
              failure = "Error--Failed to get GETeams type";
              return false;
          }

          int quantity = 0;
          if (!fpools->GetWord(i, pool.slots.quantity[k], &quantity)) {
            failure = "Can't get qty";
            return false;
          }

          // Only positive quantities of a category are scaled; the rest come
          // out as they went in (quantity * 100 / 100). The mask picks 100
          // for a quantity that is not positive. No branch on the category
          // or the sign (why, and what it saves: bench/README.md).
          const int pct = percent_of[static_cast<int>(category) &
                                     -static_cast<int>(quantity > 0)];
          // 64 bits hold any quantity times any 32-bit percentage.
          const int64_t scaled = static_cast<int64_t>(quantity) * pct / 100;
          if (scaled > kMaxQuantity) {
            failure = "Error--Scaled quantity exceeds 32767";
            return false;
          }
          // An unchanged quantity is written back as it was: the same two
          // bytes, and the field was just read, so the write cannot fail
          // where a changed one would not.
          if (!fpools->PutWord(i, pool.slots.quantity[k],
                               static_cast<int>(scaled))) {
            failure = "Can't put qty";
            return false;
          }
          return true;
        });
    switch (walk) {
      case SlotWalk::kEnded:
        break;
      case SlotWalk::kClassUnreadable:
        return fail("Error--Can't get Team Class");
      case SlotWalk::kStopped:
        return fail(failure);
    }
  }
  return 1;
}

}  // namespace tovrand
