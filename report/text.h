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
