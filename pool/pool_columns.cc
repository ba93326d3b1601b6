#include "pool/pool_columns.h"

#include <string>

namespace tovrand {

SlotColumns::SlotColumns(const RecordTable& fpools) {
  for (int k = 1;; ++k) {
    const Column c = fpools.Find("Team Class " + std::to_string(k));
    if (!c.found) break;
    team_class.push_back(c);
    quantity.push_back(fpools.Find("Quantity " + std::to_string(k)));
  }
}

PoolColumns::PoolColumns(const RecordTable& fpools)
    : name(fpools.Find("Name")),
      name_width(fpools.WidthLimit("Name")),
      nationality(fpools.Find("Nationality")),
      date(fpools.Find("Date")),
      slots(fpools) {}

void MarkQuantityBytes(const RecordTable& fpools, const SlotColumns& slots,
                       int index, std::vector<bool>* bytes) {
  for (const Column& column : slots.quantity) {
    const int64_t start = fpools.FieldStart(index, column, 2);
    if (start < 0 || static_cast<uint64_t>(start) + 2 > bytes->size()) continue;
    (*bytes)[static_cast<size_t>(start)] = true;
    (*bytes)[static_cast<size_t>(start) + 1] = true;
  }
}

}  // namespace tovrand
