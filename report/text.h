#ifndef TOVRAND_REPORT_TEXT_H_
#define TOVRAND_REPORT_TEXT_H_

#include <string>
#include <string_view>

#include "pool/pool_columns.h"
#include "pool/team_index.h"
#include "table/record_table.h"

namespace tovrand {

// The report is UTF-8 text. What it quotes from outside is shown as the
// characters it holds, on one line: a control character (C0, DEL or C1,
// which could end the line or drive the terminal), and a byte that stands
// for no character, show as '?'.

// Text from the game's files (data and layout), which are Windows-1252:
// "S\xFCd" shows as "Süd". The five bytes that code page leaves undefined
// (81 8D 8F 90 9D) show as '?'.
std::string OnOneLine(std::string_view text);

// A fixed-width field's text as OnOneLine shows it, without the blanks that
// pad it.
std::string Printable(std::string_view text);

// Whether every byte of `text` belongs to a UTF-8 sequence.
bool IsUtf8(std::string_view text);

// A path as given on the command line, which is UTF-8 (on Windows, made so
// from the wide arguments): bytes that are not UTF-8 show as '?', and an
// empty path as "".
std::string ShownPath(std::string_view path);

// A pool as the report names it: its name, or "pool N" (from 1) for one
// without a name; its side, "nationality N" for a nationality that is no
// side's, or "no nationality"; its date, or "" when it cannot be read.
struct PoolParts {
  std::string name;
  std::string side;
  std::string date;
};
PoolParts DescribePoolParts(const RecordTable& fpools, const PoolColumns& pool,
                            int index);

// "Panzer Lehr (German, date 0)": the parts on one line.
std::string DescribePool(const RecordTable& fpools, const PoolColumns& pool,
                         int index);

// The team of `team_class`'s first record: its name, or "class N" where the
// record lacks one or no record has the class; its type's name, "type N"
// for a code of no name, "no team" when no record has the class, or
// "unknown type" when the type cannot be read.
struct TeamParts {
  std::string name;
  std::string type;
};
TeamParts DescribeTeamParts(const TeamIndex& teams, int team_class);

// "Panzer IV Platoon (Medium Tank)": the parts on one line.
std::string DescribeTeam(const TeamIndex& teams, int team_class);

}  // namespace tovrand

#endif  // TOVRAND_REPORT_TEXT_H_
