#ifndef TOVRAND_POOL_SLOT_COLUMNS_H_
#define TOVRAND_POOL_SLOT_COLUMNS_H_

#include <cstddef>
#include <vector>

#include "table/record_table.h"

namespace tovrand {

// The slot columns of an FPools layout, resolved once: slot k (from 1) is
// `Team Class k` with `Quantity k`. The list runs from slot 1 up to the
// first `Team Class k` that the layout lacks, so a pool whose slots all hold
// classes runs past its end. A slot's `Quantity k` may be missing from the
// layout; its Column is then not found.
struct SlotColumns {
  explicit SlotColumns(const RecordTable& fpools);

  size_t size() const { return team_class.size(); }

  std::vector<Column> team_class;  // [k - 1] is `Team Class k`
  std::vector<Column> quantity;    // [k - 1] is `Quantity k`
};

}  // namespace tovrand

#endif  // TOVRAND_POOL_SLOT_COLUMNS_H_
