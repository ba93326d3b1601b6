#include "report/changes.h"

#include <algorithm>
#include <vector>

#include "pool/team_types.h"
#include "report/text.h"

namespace tovrand {

ChangeSummary ReportChanges(const RecordTable& before, const RecordTable& after,
                            const PoolColumns& pool, const SideTeams& teams,
                            Messages* out) {
  ChangeSummary changes;
  const std::vector<size_t> compared =
      QuantitySlotsInRecord(before, pool.slots);
  const int records = std::min(before.recordCount(), after.recordCount());
  for (int i = 0; i < records && !out->Failed(); ++i) {
    for (const size_t k : compared) {
      int old_quantity = 0;
      int new_quantity = 0;
      if (!before.GetWord(i, pool.slots.quantity[k], &old_quantity) ||
          !after.GetWord(i, pool.slots.quantity[k], &new_quantity) ||
          old_quantity == new_quantity) {
        continue;
      }
      int nationality = -1;
      if (before.GetByte(i, pool.nationality, &nationality) &&
          SideName(nationality) != nullptr) {
        changes.side_changed[nationality] = true;
      }
      int team_class = 0;
      const std::string team =
          before.GetWord(i, pool.slots.team_class[k], &team_class)
              ? DescribeTeam(teams.Of(TeamSideOf(nationality)), team_class)
              : "no team";
      out->Line(DescribePool(before, pool, i) + ", slot " +
                std::to_string(k + 1) + ", " + team + ": " +
                std::to_string(old_quantity) + " -> " +
                std::to_string(new_quantity));
      ++changes.lines;
    }
  }
  return changes;
}

Totals SumQuantities(const RecordTable& fpools, const PoolColumns& pool,
                     const SideTeams& teams) {
  Totals totals;
  for (int i = 0; i < fpools.recordCount(); ++i) {
    int nationality = 0;
    int date = 0;
    if (!fpools.GetByte(i, pool.nationality, &nationality) ||
        SideName(nationality) == nullptr ||
        !fpools.GetWord(i, pool.date, &date)) {
      continue;
    }
    const TeamIndex& side_teams = teams.Of(TeamSideOf(nationality));
    int64_t(&sums)[2] = totals.sum[nationality][date == 0 ? 0 : 1];
    VisitSlots(fpools, pool.slots, i, [&](size_t k, int team_class) {
      if (!pool.slots.inside_record[k]) return false;
      const int record = side_teams.RecordOf(team_class);
      if (record < 0) {
        if (totals.unmatched++ == 0) {
          totals.first_unmatched = "class " + std::to_string(team_class) +
                                   " in slot " + std::to_string(k + 1) +
                                   " of " + DescribePool(fpools, pool, i);
        }
        return true;
      }
      int type = 0;
      int quantity = 0;
      if (!side_teams.Type(record, &type) ||
          !fpools.GetWord(i, pool.slots.quantity[k], &quantity)) {
        return true;
      }
      switch (CategoryOf(type)) {
        case TeamCategory::kTank:
          sums[0] += quantity;
          break;
        case TeamCategory::kInfantry:
          sums[1] += quantity;
          break;
        case TeamCategory::kNone:
          break;
      }
      return true;
    });
  }
  return totals;
}

std::string TotalsLine(int side, int group, int category, const Totals& before,
                       const Totals& after) {
  return std::string(SideName(side)) +
         (group == 0 ? ", date 0, " : ", other dates, ") +
         (category == 0 ? "tank: " : "infantry: ") +
         std::to_string(before.sum[side][group][category]) + " -> " +
         std::to_string(after.sum[side][group][category]);
}

}  // namespace tovrand
