#ifndef TOVRAND_BASE_DECIMAL_H_
#define TOVRAND_BASE_DECIMAL_H_

#include <cstdint>
#include <string_view>

namespace tovrand {

// Reads a decimal integer the way percentages and layout widths are written:
// leading white space (blank, tab, LF, VT, FF, CR) is skipped, one optional
// '+' or '-' is taken, then digits up to the first non-digit. No digits give
// 0. A value beyond the signed 32-bit range saturates at its nearer end.
int32_t ReadDecimal(std::string_view text);

}  // namespace tovrand

#endif  // TOVRAND_BASE_DECIMAL_H_
