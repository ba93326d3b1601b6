#ifndef TOVRAND_TABLE_COLUMN_DEF_H_
#define TOVRAND_TABLE_COLUMN_DEF_H_

#include <cstdint>
#include <string>

namespace tovrand {

// One column of a record layout, as a line of Tables.ini declares it.
struct ColumnDef {
  int32_t width = 0;  // bytes the column occupies; 0 and negative are kept
  std::string name;   // compared byte for byte, case-sensitively
  char type = 0;      // the type letter as written; no accessor consults it
};

}  // namespace tovrand

#endif  // TOVRAND_TABLE_COLUMN_DEF_H_
