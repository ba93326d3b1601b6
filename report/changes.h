#ifndef TOVRAND_REPORT_CHANGES_H_
#define TOVRAND_REPORT_CHANGES_H_

#include <cstdint>
#include <string>

#include "base/messages.h"
#include "pool/pool_columns.h"
#include "pool/sides.h"
#include "pool/team_index.h"
#include "table/record_table.h"

namespace tovrand {

// The changed quantities of two FPools files, over the records both hold
// whole, each line written to `out` as it is found: one per `Quantity k`
// field whose value differs, in file order,
//   "<pool> (<side>, date <d>), slot <k>, <team> (<type>): <old> -> <new>"
// where the team is the first record of the slot's class in the team table
// tovrand would look it up in (TeamSideOf). Only slots that lie inside their
// record are compared, and a field that the `Quantity` of an earlier slot
// names too (columns of no width) only as that slot's: so there are never
// more lines than bytes in the files. Stops once `out` has failed.
struct ChangeSummary {
  int64_t lines = 0;
  bool side_changed[kSides] = {false, false};  // a pool of the side changed
};
ChangeSummary ReportChanges(const RecordTable& before, const RecordTable& after,
                            const PoolColumns& pool, const SideTeams& teams,
                            Messages* out);

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
