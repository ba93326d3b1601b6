#include "fuzz/output_check.h"

#include <cstdint>
#include <string>

namespace {

// Where a field of `size` bytes of record `index` starts, or -1 when it does
// not lie whole inside the table's bytes.
int64_t FieldStart(const RecordTable& table, int index, Column column,
                   int64_t size) {
  const int64_t start =
      static_cast<int64_t>(index) * table.recordSize() + column.offset;
  if (!column.found || start < 0 || start + size > table.length()) return -1;
  return start;
}

}  // namespace

std::vector<bool> WritableBytes(const RecordTable& fpools, int side) {
  std::vector<Column> quantities;
  for (int k = 1; fpools.Find("Team Class " + std::to_string(k)).found; ++k) {
    const Column quantity = fpools.Find("Quantity " + std::to_string(k));
    if (quantity.found) quantities.push_back(quantity);
  }
  const Column nationality = fpools.Find("Nationality");

  // The pass visits pools in order, so a pool's Nationality can only have
  // been changed by the pools before it.
  std::vector<bool> writable(static_cast<size_t>(fpools.length()), false);
  for (int i = 0; i < fpools.recordCount(); ++i) {
    const int64_t at = FieldStart(fpools, i, nationality, 1);
    if (at < 0) continue;  // the pass stops here, or at an earlier pool
    if (fpools.data()[at] != side && !writable[static_cast<size_t>(at)])
      continue;
    for (const Column& quantity : quantities) {
      const int64_t start = FieldStart(fpools, i, quantity, 2);
      if (start < 0) continue;
      writable[static_cast<size_t>(start)] = true;
      writable[static_cast<size_t>(start) + 1] = true;
    }
  }
  return writable;
}

bool IsScaledFrom(const RecordTable& fpools, int side,
                  std::string_view output) {
  if (output.size() != static_cast<size_t>(fpools.length())) return false;
  const std::vector<bool> writable = WritableBytes(fpools, side);
  for (size_t i = 0; i < output.size(); ++i) {
    if (static_cast<unsigned char>(output[i]) != fpools.data()[i] &&
        !writable[i]) {
      return false;
    }
  }
  return true;
}
