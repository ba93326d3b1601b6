#include "pool/pool_columns.h"

#include <algorithm>
#include <string>

namespace tovrand {

namespace {

// Whether a word field of `column`, if the layout has it, lies whole inside
// a record.
bool WordInsideRecord(const RecordTable& table, Column column) {
  return !column.found ||
         (column.offset >= 0 && column.offset + 2 <= table.recordSize());
}

}  // namespace

SlotColumns::SlotColumns(const RecordTable& fpools) {
  for (int k = 1;; ++k) {
    const Column c = fpools.Find("Team Class " + std::to_string(k));
    if (!c.found) break;
    team_class.push_back(c);
    quantity.push_back(fpools.Find("Quantity " + std::to_string(k)));
    inside_record.push_back(WordInsideRecord(fpools, team_class.back()) &&
                            WordInsideRecord(fpools, quantity.back()));
  }
}

PoolColumns::PoolColumns(const RecordTable& fpools)
    : name(fpools.Find("Name")),
      name_width(fpools.TextLimit("Name")),
      nationality(fpools.Find("Nationality")),
      date(fpools.Find("Date")),
      slots(fpools) {}

std::vector<size_t> QuantitySlotsInRecord(const RecordTable& fpools,
                                          const SlotColumns& slots) {
  std::vector<bool> taken(
      static_cast<size_t>(std::max(fpools.recordSize(), 0)));
  std::vector<size_t> found;
  for (size_t k = 0; k < slots.size(); ++k) {
    if (!slots.inside_record[k] || !slots.quantity[k].found) continue;
    const size_t at = static_cast<size_t>(slots.quantity[k].offset);
    if (taken[at]) continue;
    taken[at] = true;
    found.push_back(k);
  }
  return found;
}

std::vector<bool> QuantityBytesOfRecord(const RecordTable& fpools,
                                        const SlotColumns& slots) {
  std::vector<bool> bytes(
      static_cast<size_t>(std::max(fpools.recordSize(), 0)));
  for (const size_t k : QuantitySlotsInRecord(fpools, slots)) {
    const size_t at = static_cast<size_t>(slots.quantity[k].offset);
    bytes[at] = bytes[at + 1] = true;
  }
  return bytes;
}

}  // namespace tovrand
