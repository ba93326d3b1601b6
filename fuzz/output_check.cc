#include "fuzz/output_check.h"

#include <cstdint>

#include "pool/pool_columns.h"

using tovrand::Column;
using tovrand::RecordTable;
using tovrand::SideCode;

namespace {

// Marks in `bytes` the two bytes of each `Quantity k` field of pool `index`
// (every slot column, used or not) that lies whole inside the table's bytes.
// A layout may place such a field anywhere, even in the next record: the
// bytes are marked where the field is, as the pass writes it there.
void MarkQuantityBytes(const RecordTable& fpools,
                       const tovrand::SlotColumns& slots, int index,
                       std::vector<bool>* bytes) {
  for (const Column& column : slots.quantity) {
    const int64_t start = fpools.FieldStart(index, column, 2);
    if (start < 0 || static_cast<uint64_t>(start) + 2 > bytes->size()) continue;
    (*bytes)[static_cast<size_t>(start)] = true;
    (*bytes)[static_cast<size_t>(start) + 1] = true;
  }
}

}  // namespace

std::vector<bool> WritableBytes(const RecordTable& fpools, SideCode side) {
  const tovrand::SlotColumns slots(fpools);
  const Column nationality = fpools.Find("Nationality");

  // The pass visits pools in order, so a pool's Nationality can only have
  // been changed by the pools before it.
  std::vector<bool> writable(static_cast<size_t>(fpools.length()), false);
  for (int i = 0; i < fpools.recordCount(); ++i) {
    const int64_t at = fpools.FieldStart(i, nationality, 1);
    if (at < 0) continue;  // the pass stops here, or at an earlier pool
    if (fpools.data()[at] != static_cast<int>(side) &&
        !writable[static_cast<size_t>(at)]) {
      continue;
    }
    MarkQuantityBytes(fpools, slots, i, &writable);
  }
  return writable;
}

bool IsScaledFrom(const RecordTable& fpools, SideCode side,
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

namespace {
const char kWarning[] = "Warning: ";
}  // namespace

bool IsOtherBytesWarning(const std::string& line) {
  const size_t start = sizeof kWarning - 1;
  if (line.rfind(kWarning, 0) != 0) return false;
  const size_t digits = line.find_first_not_of("0123456789", start);
  if (digits == start || digits == std::string::npos) return false;
  const std::string rest = line.substr(digits);
  return rest.rfind(" byte differs outside the Quantity fields;", 0) == 0 ||
         rest.rfind(" bytes differ outside the Quantity fields;", 0) == 0;
}

bool IsLengthsWarning(const std::string& line, const std::string& before) {
  return line.rfind(kWarning + before + " has ", 0) == 0;
}
