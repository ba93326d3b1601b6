#ifndef TOVRAND_REPORT_TEXT_H_
#define TOVRAND_REPORT_TEXT_H_

#include <string>
#include <string_view>

#include "pool/pool_columns.h"
#include "pool/team_index.h"
#include "table/record_table.h"

namespace tovrand {

// Text from the files as part of one line: a control character (which
// could end the line or drive the terminal) shows as '?'.
std::string OnOneLine(std::string_view text);

// A fixed-width field's text on one line, without the blanks that pad it.
std::string Printable(std::string_view text);

// "Panzer Lehr (German, date 0)"; a pool without a name is numbered from 1,
// a nationality that is no side's shows as its number.
std::string DescribePool(const RecordTable& fpools, const PoolColumns& pool,
                         int index);

// "Panzer IV Platoon (Medium Tank)", the team of `team_class`'s first record;
// the class stands in for a name the record lacks, "no team" for the type
// when no record has the class, "unknown type" when it cannot be read.
std::string DescribeTeam(const TeamIndex& teams, int team_class);

}  // namespace tovrand

#endif  // TOVRAND_REPORT_TEXT_H_
