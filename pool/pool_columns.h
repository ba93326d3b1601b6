#ifndef TOVRAND_POOL_POOL_COLUMNS_H_
#define TOVRAND_POOL_POOL_COLUMNS_H_

#include <cstddef>
#include <cstdint>
#include <string_view>
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
  // [k - 1]: whether the fields of slot k that the layout has lie whole
  // inside their record. A layout may place them anywhere, even in the next
  // record or before the first.
  std::vector<bool> inside_record;
};

// What a pool is: the FPools columns both programs read, resolved once.
struct PoolColumns {
  explicit PoolColumns(const RecordTable& fpools);

  // The pool's `Name`, up to the first NUL, the column's width (when
  // positive) or the end of the record; false when the field cannot be
  // read.
  [[nodiscard]] bool Name(const RecordTable& fpools, int index,
                          std::string_view* text) const {
    return fpools.GetText(index, name, text, name_width) != 0;
  }

  Column name;
  size_t name_width = SIZE_MAX;
  Column nationality;
  Column date;
  SlotColumns slots;
};

// How a walk over a pool's slots ended.
enum class SlotWalk {
  kEnded,            // at a negative `Team Class k`
  kClassUnreadable,  // at a `Team Class k` that cannot be read, or past the
                     // last slot column
  kStopped,          // the visitor asked to stop
};

// The walk every reader of a pool makes: calls `visit(k, team_class)` for
// slot k = 0, 1, ... (slot k + 1 of the layout) while its `Team Class` can
// be read and is not negative, and stops early when `visit` returns false.
template <typename Visit>
SlotWalk VisitSlots(const RecordTable& fpools, const SlotColumns& slots,
                    int index, Visit&& visit) {
  for (size_t k = 0;; ++k) {
    int team_class = 0;
    if (k >= slots.size() ||
        !fpools.GetWord(index, slots.team_class[k], &team_class)) {
      return SlotWalk::kClassUnreadable;
    }
    if (team_class < 0) return SlotWalk::kEnded;
    if (!visit(k, team_class)) return SlotWalk::kStopped;
  }
}

// The slots (k - 1 for slot k) whose `Quantity k` field lies inside the
// record (SlotColumns::inside_record), each field once: where the columns of
// several slots name the same bytes (columns of no width), the first slot's.
std::vector<size_t> QuantitySlotsInRecord(const RecordTable& fpools,
                                          const SlotColumns& slots);

// For each byte of a record, whether it belongs to the `Quantity k` field
// of one of those slots.
std::vector<bool> QuantityBytesOfRecord(const RecordTable& fpools,
                                        const SlotColumns& slots);

}  // namespace tovrand

#endif  // TOVRAND_POOL_POOL_COLUMNS_H_
