#ifndef TOVRAND_TABLE_GAME_TABLES_H_
#define TOVRAND_TABLE_GAME_TABLES_H_

#include "table/record_table.h"

namespace tovrand {

// The game's four tables, each with the layout of its section of
// Tables.ini. Passed whole, so that one table can never be taken for
// another.
struct GameTables {
  RecordTable bgroups;
  RecordTable fpools;
  RecordTable alsteams;
  RecordTable geteams;
};

}  // namespace tovrand

#endif  // TOVRAND_TABLE_GAME_TABLES_H_
