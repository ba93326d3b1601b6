#ifndef TOVRAND_REPORT_DIFF_H_
#define TOVRAND_REPORT_DIFF_H_

#include <functional>
#include <string>
#include <vector>

#include "base/messages.h"
#include "pool/pool_columns.h"
#include "pool/team_index.h"
#include "report/changes.h"
#include "table/game_tables.h"
#include "table/record_table.h"

namespace tovrand {

// The files tovdiff reads: the FPools file before and after a run, and the
// layout and team files to read them with. By default those of a data
// folder after a tovrand run in it.
struct DiffFiles {
  std::string before = "FPools.txt";
  std::string after = "Output/FPools.txt";
  std::string layout = "Tables.ini";
  std::string allied_teams = "AlsTeams.txt";
  std::string german_teams = "GETeams.txt";
};

// Compares `files.before` with `files.after`, both read with the [FPools]
// layout, and writes the report to `out`, as it goes:
//  - when slots of the layout lie outside a record, a warning that they are
//    not compared, and an empty line;
//  - one line per `Quantity k` field whose value differs, in file order
//    (report/changes.h);
//  - then, for Allied and then German when a pool of that side has a
//    changed quantity, four lines of totals;
//  - or "No quantity changed" in place of both;
//  - then one "Warning: " line for each way the files do not fit their
//    layout or differ other than in quantities (report/warnings.h).
// An empty line separates the three parts. Paths are shown as ShownPath
// (report/text.h) shows them. Returns 0 when it could compare; 1 after one
// line that names the file and the reason when it could not, or that says
// `files.before` and `files.after` are the same file.
[[nodiscard]] int Diff(const DiffFiles& files, Messages* out);

// The comparison Diff reports, of the loaded `tables.fpools` (before) with
// `after`, read with the same layout; `shown` names the files in the
// warnings. In the order of the report: the warning that slots lie outside
// a record to `outside`, when they do; each change to `on_change`
// (WalkChanges); then the sums of both files and the warnings. `pool` and
// `teams` are the columns and team tables of `tables`, which the caller
// has resolved once for the texts of the rows too. `before_totals`, when given, are the sums of `tables.fpools` already
// made (SumQuantities), which several comparisons with one file share.
struct Comparison {
  ChangeSummary changes;
  Totals before;
  Totals after;
  std::vector<std::string> warnings;
};
Comparison Compare(const DiffFiles& shown, const GameTables& tables,
                   const PoolColumns& pool, const SideTeams& teams,
                   const RecordTable& after,
                   const std::function<void(const std::string&)>& outside,
                   const std::function<bool(const ChangeRow&)>& on_change,
                   const Totals* before_totals = nullptr);

// The report's four lines of totals of `side` (0 Allied, 1 German): date 0
// and other dates, tank and infantry each.
std::vector<std::string> SideTotals(int side, const Comparison& comparison);

}  // namespace tovrand

#endif  // TOVRAND_REPORT_DIFF_H_
