#ifndef TOVRAND_FUZZ_OUTPUT_CHECK_H_
#define TOVRAND_FUZZ_OUTPUT_CHECK_H_

#include <string>
#include <string_view>
#include <vector>

#include "pool/sides.h"
#include "table/record_table.h"

// The bytes of `fpools` (its layout set, its input bytes loaded) that a
// scaling pass for `side` may change: the `Quantity k` fields of every pool
// it may take for one of the side's, for each slot k the pass reads (k from
// 1 while the layout has `Team Class k`). A pool counts when its
// Nationality byte is the side's, or when that byte lies in a field an
// earlier pool's pass may have changed: layouts may overlap fields of one
// record with another's. Names are not looked at, so the side's own pools
// count too. Fields that do not lie whole inside the bytes are left out.
std::vector<bool> WritableBytes(const tovrand::RecordTable& fpools,
                                tovrand::SideCode side);

// Whether `output` can be what a successful pass for `side` wrote from the
// table's bytes: of the same length, and equal but in the writable bytes.
bool IsScaledFrom(const tovrand::RecordTable& fpools, tovrand::SideCode side,
                  std::string_view output);

// Whether `line` of tovdiff's report is its warning that bytes outside the
// Quantity fields differ ("Warning: N byte(s) differ(s) outside the
// Quantity fields; ..."), or its warning that the files' lengths differ
// ("Warning: <before> has ..."). Told by how the line begins: names from
// the data, which can hold any words, never come first.
bool IsOtherBytesWarning(const std::string& line);
bool IsLengthsWarning(const std::string& line, const std::string& before);

#endif  // TOVRAND_FUZZ_OUTPUT_CHECK_H_
