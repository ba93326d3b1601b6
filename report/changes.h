#ifndef TOVRAND_REPORT_CHANGES_H_
#define TOVRAND_REPORT_CHANGES_H_

#include <cstdint>
#include <functional>
#include <string>

#include "pool/pool_columns.h"
#include "pool/sides.h"
#include "pool/team_index.h"
#include "report/text.h"
#include "table/record_table.h"

namespace tovrand {

// One changed quantity of two FPools files: the pool's record (from 0),
// the slot (from 1), and the quantity before and after. What the report
// shows of it is read from the tables when it is shown (DescribeChange).
struct ChangeRow {
  int32_t record = 0;
  int32_t slot = 0;
  int32_t old_quantity = 0;
  int32_t new_quantity = 0;
};

// What a walk over the changes found.
struct ChangeSummary {
  int64_t lines = 0;                           // the changes
  bool side_changed[kSides] = {false, false};  // a pool of the side changed
};

// The changed quantities of two FPools files, over the records both hold
// whole, each handed to `on_change` as it is found: one per `Quantity k`
// field whose value differs, in file order. Only slots that lie inside
// their record are compared, and a field that the `Quantity` of an earlier
// slot names too (columns of no width) only as that slot's: so there are
// never more changes than bytes in the files. Stops once `on_change`
// returns false; the change it was given counts.
ChangeSummary WalkChanges(const RecordTable& before, const RecordTable& after,
                          const PoolColumns& pool,
                          const std::function<bool(const ChangeRow&)>& on_change);

// A change as the report shows it, field by field (report/text.h): the
// pool's parts; the slot; the team of the slot's class (from `before`) in
// the team table tovrand would look it up in (TeamSideOf), or the name
// "no team" and no type when the class cannot be read; the quantities.
struct ChangeFields {
  PoolParts pool;
  std::string slot;
  TeamParts team;
  std::string old_quantity;
  std::string new_quantity;
};
ChangeFields DescribeChange(const RecordTable& before, const PoolColumns& pool,
                            const SideTeams& teams, const ChangeRow& row);

// The report's line of a change:
//   "<pool> (<side>, date <d>), slot <k>, <team> (<type>): <old> -> <new>"
std::string ChangeLine(const ChangeFields& change);

// The sums of one FPools file, as tovrand reads its pools (the slots up to
// the first negative class, and here before the first slot that lies
// outside its record): by side, date group (0: date 0, 1: other dates) and
// category (0: tank, 1: infantry).
struct Totals {
  int64_t sum[kSides][2][2] = {};
  // Slots whose class no record of their side's team table has.
  int64_t unmatched = 0;
  std::string first_unmatched;  // "class 99 in slot 2 of <pool>"
};
Totals SumQuantities(const RecordTable& fpools, const PoolColumns& pool,
                     const SideTeams& teams);

// A line of totals: "German, other dates, tank: 120 -> 60".
std::string TotalsLine(int side, int group, int category, const Totals& before,
                       const Totals& after);

}  // namespace tovrand

#endif  // TOVRAND_REPORT_CHANGES_H_
