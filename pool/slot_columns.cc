#include "pool/slot_columns.h"

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

}  // namespace tovrand
