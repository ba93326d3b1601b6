#include "report/changes.h"

#include <algorithm>
#include <vector>

#include "pool/team_types.h"
#include "report/text.h"

namespace tovrand {

ChangeSummary WalkChanges(
    const RecordTable& before, const RecordTable& after,
    const PoolColumns& pool,
    const std::function<bool(const ChangeRow&)>& on_change) {
  ChangeSummary changes;
  const std::vector<size_t> compared =
      QuantitySlotsInRecord(before, pool.slots);
  const int records = std::min(before.recordCount(), after.recordCount());
  for (int i = 0; i < records; ++i) {
    for (const size_t k : compared) {
      ChangeRow row;
      if (!before.GetWord(i, pool.slots.quantity[k], &row.old_quantity) ||
          !after.GetWord(i, pool.slots.quantity[k], &row.new_quantity) ||
          row.old_quantity == row.new_quantity) {
        continue;
      }
      int nationality = -1;
      if (before.GetByte(i, pool.nationality, &nationality) &&
          SideName(nationality) != nullptr) {
        changes.side_changed[nationality] = true;
      }
      row.record = i;
      row.slot = static_cast<int32_t>(k + 1);
      ++changes.lines;
      if (!on_change(row)) return changes;
    }
  }
  return changes;
}

ChangeFields DescribeChange(const RecordTable& before, const PoolColumns& pool,
                            const SideTeams& teams, const ChangeRow& row) {
  ChangeFields fields;
  fields.pool = DescribePoolParts(before, pool, row.record);
  fields.slot = std::to_string(row.slot);
  const size_t k = static_cast<size_t>(row.slot - 1);
  int nationality = -1;
  int team_class = 0;
  if (!before.GetByte(row.record, pool.nationality, &nationality))
    nationality = -1;
  if (before.GetWord(row.record, pool.slots.team_class[k], &team_class)) {
    fields.team =
        DescribeTeamParts(teams.Of(TeamSideOf(nationality)), team_class);
  } else {
    fields.team.name = "no team";
  }
  fields.old_quantity = std::to_string(row.old_quantity);
  fields.new_quantity = std::to_string(row.new_quantity);
  return fields;
}

std::string ChangeLine(const ChangeFields& change) {
  std::string line = change.pool.name + " (" + change.pool.side;
  if (!change.pool.date.empty()) line += ", date " + change.pool.date;
  line += "), slot " + change.slot + ", " + change.team.name;
  if (!change.team.type.empty()) line += " (" + change.team.type + ")";
  return line + ": " + change.old_quantity + " -> " + change.new_quantity;
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
