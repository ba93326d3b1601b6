#include "report/diff.h"

#include <string>
#include <vector>

#include "base/file_io.h"
#include "pool/pool_columns.h"
#include "pool/sides.h"
#include "pool/team_index.h"
#include "report/changes.h"
#include "report/text.h"
#include "report/warnings.h"
#include "table/game_tables.h"
#include "table/layout_reader.h"
#include "table/record_table.h"

namespace tovrand {

namespace {

// The line for a file that could not be read: as tovrand words it, but
// running out of memory names the file.
std::string CannotRead(ReadResult result, const std::string& path) {
  if (result == ReadResult::kNoMemory || result == ReadResult::kNoMemoryToGrow)
    return "Out of memory reading " + path;
  return ReadFailureLine(result, path);
}

// Reads the layout of each table from the layout file, and checks that it
// has what the report reads. On failure sets `*failure` to the line.
bool LoadLayout(const std::string& path, GameTables* tables,
                std::string* failure) {
  ReadResult result = ReadResult::kOk;
  LayoutError error;
  if (!ReadLayoutFile(path, tables, &result, &error)) {
    // The error's text may quote the layout's bytes: a type letter, a name.
    *failure = result != ReadResult::kOk
                   ? CannotRead(result, path)
                   : path + ": " + OnOneLine(error.Text());
    return false;
  }
  const struct {
    const RecordTable* table;
    const char* section;
    std::vector<const char*> columns;
  } kNeeds[] = {
      {&tables->fpools,
       "FPools",
       {"Nationality", "Date", "Team Class 1", "Quantity 1"}},
      {&tables->alsteams, "AlsTeams", {"Class", "Type"}},
      {&tables->geteams, "GETeams", {"Class", "Type"}},
  };
  for (const auto& need : kNeeds) {
    if (need.table->recordSize() <= 0) {
      *failure = path + " has no [" + need.section + "] section";
      return false;
    }
    for (const char* column : need.columns) {
      if (!need.table->Find(column).found) {
        *failure =
            path + ": [" + need.section + "] has no \"" + column + "\" column";
        return false;
      }
    }
  }
  return true;
}

// Loads a data file into `table`, whose layout is set.
bool LoadData(RecordTable* table, const std::string& path,
              std::string* failure) {
  ReadResult result = ReadResult::kOk;
  if (table->Load(path, &result)) return true;
  *failure = CannotRead(result, path);
  return false;
}

}  // namespace

int Diff(const DiffFiles& files, Messages* out) {
  GameTables tables;  // fpools: the input
  RecordTable after;
  std::string failure;
  if (!LoadLayout(files.layout, &tables, &failure)) {
    out->Line(failure);
    return 1;
  }
  after.SetLayout(tables.fpools.recordSize(), tables.fpools.columns());
  if (!LoadData(&tables.fpools, files.before, &failure) ||
      !LoadData(&after, files.after, &failure) ||
      !LoadData(&tables.alsteams, files.allied_teams, &failure) ||
      !LoadData(&tables.geteams, files.german_teams, &failure)) {
    out->Line(failure);
    return 1;
  }
  const RecordTable& before = tables.fpools;
  const SideTeams teams(tables);
  const PoolColumns pool(before);

  const Changes changes = FindChanges(before, after, pool, teams);
  const Totals totals_before = SumQuantities(before, pool, teams);
  const Totals totals_after = SumQuantities(after, pool, teams);
  const std::vector<std::string> warnings =
      Warnings(files, tables, after, pool, totals_before, totals_after);

  if (changes.lines.empty()) {
    out->Line("No quantity changed");
  } else {
    for (const std::string& line : changes.lines) out->Line(line);
    out->Line("");
    for (int side = 0; side < kSides; ++side) {
      if (!changes.side_changed[side]) continue;
      for (int group = 0; group < 2; ++group) {
        for (int category = 0; category < 2; ++category) {
          out->Line(
              TotalsLine(side, group, category, totals_before, totals_after));
        }
      }
    }
  }
  if (!warnings.empty()) {
    out->Line("");
    for (const std::string& line : warnings) out->Line(line);
  }
  return 0;
}

}  // namespace tovrand
