#ifndef TOVRAND_POOL_SCALE_FPOOLS_H_
#define TOVRAND_POOL_SCALE_FPOOLS_H_

#include "base/messages.h"
#include "pool/sides.h"
#include "table/game_tables.h"

namespace tovrand {

// The four percentages of a run, each 0 or more: one for tank-category and
// one for infantry-category quantities, in pools of date 0 and in pools of
// every other date.
struct Percentages {
  int tank_date0 = 100;
  int infantry_date0 = 100;
  int tank_other = 100;
  int infantry_other = 100;
};

// The largest quantity a slot can hold.
constexpr int kMaxQuantity = 32767;

// Rescales the quantities of one side's pools in `tables->fpools`, in
// memory; the other tables are only read.
//
// Pools whose name begins with "German", "Allied" or "Americ", and pools of
// the other nationality, are passed over. For every other pool, each slot k
// up to the first negative `Team Class k` is resolved to the first record of
// its class in the side's team table (AlsTeams for Allied, GETeams for
// German) and that record's `Type`; a positive `Quantity k` of a tank or
// infantry type becomes quantity * percentage / 100, truncated, with the
// percentages of the pool's date (0 or other).
//
// Returns 1 when every pool has been visited. Otherwise prints the message
// of the first failure and returns 0 at once; quantities already rewritten
// stay rewritten in memory. Nothing but `Quantity k` fields is written.
[[nodiscard]] int ScaleFPools(SideCode side, GameTables* tables,
                              const Percentages& percent, Messages* messages);

// The side's team table: AlsTeams for Allied, GETeams for German.
inline const RecordTable& SideTeamTable(const GameTables& tables,
                                        SideCode side) {
  return side == SideCode::kAllied ? tables.alsteams : tables.geteams;
}

// The same pass over `fpools` alone, with `side_teams` the side's team
// table (SideTeamTable): for a pass on a copy of FPools beside the tables
// it was read with.
[[nodiscard]] int ScaleFPools(SideCode side, RecordTable* fpools,
                              const RecordTable& side_teams,
                              const Percentages& percent, Messages* messages);

}  // namespace tovrand

#endif  // TOVRAND_POOL_SCALE_FPOOLS_H_
