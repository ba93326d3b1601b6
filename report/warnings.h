#ifndef TOVRAND_REPORT_WARNINGS_H_
#define TOVRAND_REPORT_WARNINGS_H_

#include <string>
#include <vector>

#include "pool/pool_columns.h"
#include "report/changes.h"
#include "report/diff.h"
#include "table/game_tables.h"
#include "table/record_table.h"

namespace tovrand {

// The warning for the [FPools] slots that lie outside a record, which the
// report does not compare; it comes before the change lines. "" when every
// slot lies inside. `files` and the texts below hold the paths as shown.
std::string SlotsOutsideWarning(const std::string& layout,
                                const RecordTable& fpools,
                                const SlotColumns& slots);

// The "Warning: " lines of a comparison, in this order: each table whose
// layout's columns run past its records (but [FPools] when
// SlotsOutsideWarning has said so); each file that ends part way
// through a record (before, after, AlsTeams, GETeams); slots of a class no
// team record of their side has, in the input and, where they are not the
// input's, in the output; files of different lengths; and bytes that
// differ outside the Quantity fields. `tables.fpools` holds the input.
std::vector<std::string> Warnings(const DiffFiles& files,
                                  const GameTables& tables,
                                  const RecordTable& after,
                                  const PoolColumns& pool,
                                  const Totals& totals_before,
                                  const Totals& totals_after);

}  // namespace tovrand

#endif  // TOVRAND_REPORT_WARNINGS_H_
