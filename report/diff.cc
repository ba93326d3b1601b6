#include "report/diff.h"

#include <string>
#include <vector>

#include "base/file_io.h"
#include "base/platform.h"
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

// The paths as the report shows them.
DiffFiles Shown(const DiffFiles& files) {
  DiffFiles shown;
  shown.before = ShownPath(files.before);
  shown.after = ShownPath(files.after);
  shown.layout = ShownPath(files.layout);
  shown.allied_teams = ShownPath(files.allied_teams);
  shown.german_teams = ShownPath(files.german_teams);
  return shown;
}

// The line for a file that could not be read, `shown` as the report shows
// its path: as tovrand words it, but running out of memory names the file.
std::string CannotRead(ReadResult result, const std::string& shown) {
  if (result == ReadResult::kNoMemory || result == ReadResult::kNoMemoryToGrow)
    return "Out of memory reading " + shown;
  return ReadFailureLine(result, shown);
}

// Reads the layout of each table from the layout file, and checks that it
// has what the report reads. On failure sets `*failure` to the line.
bool LoadLayout(const std::string& path, const std::string& shown,
                GameTables* tables, std::string* failure) {
  ReadResult result = ReadResult::kOk;
  LayoutError error;
  MisreadHeaders misread;
  if (!ReadLayoutFile(path, tables, &result, &error, &misread)) {
    // The error's text may quote the layout's bytes: a type letter, a name.
    if (result != ReadResult::kOk) {
      *failure = CannotRead(result, shown);
    } else if (error.kind == LayoutError::Kind::kUtf16 ||
               error.kind == LayoutError::Kind::kUtf32) {
      *failure = error.Text(shown);
    } else {
      *failure = shown + ": " + OnOneLine(error.Text(""));
    }
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
      *failure = NoSectionText(shown, need.section, misread);
      return false;
    }
    for (const char* column : need.columns) {
      if (!need.table->Find(column).found) {
        *failure =
            shown + ": [" + need.section + "] has no \"" + column + "\" column";
        return false;
      }
    }
  }
  return true;
}

// Loads a data file into `table`, whose layout is set.
bool LoadData(RecordTable* table, const std::string& path,
              const std::string& shown, std::string* failure) {
  ReadResult result = ReadResult::kOk;
  if (table->Load(path, &result)) return true;
  *failure = CannotRead(result, shown);
  return false;
}

}  // namespace

int Diff(const DiffFiles& files, Messages* out) {
  const DiffFiles shown = Shown(files);
  // Compared with itself, a file would show no change and its warnings
  // twice, which says nothing of a run.
  if (SameFile(files.before, files.after)) {
    out->Line(shown.before + " and " + shown.after +
              " are the same file: nothing to compare");
    return 1;
  }
  GameTables tables;  // fpools: the input
  RecordTable after;
  std::string failure;
  if (!LoadLayout(files.layout, shown.layout, &tables, &failure)) {
    out->Line(failure);
    return 1;
  }
  after.SetLayout(tables.fpools.recordSize(), tables.fpools.columns());
  if (!LoadData(&tables.fpools, files.before, shown.before, &failure) ||
      !LoadData(&after, files.after, shown.after, &failure) ||
      !LoadData(&tables.alsteams, files.allied_teams, shown.allied_teams,
                &failure) ||
      !LoadData(&tables.geteams, files.german_teams, shown.german_teams,
                &failure)) {
    out->Line(failure);
    return 1;
  }
  const RecordTable& before = tables.fpools;
  const SideTeams teams(tables);
  const PoolColumns pool(before);
  const Comparison comparison = Compare(
      shown, tables, pool, teams, after,
      [out](const std::string& warning) {
        // Said first, as it tells which slots the lines below leave out.
        out->Line(warning);
        out->Line("");
      },
      [&](const ChangeRow& row) {
        out->Line(ChangeLine(DescribeChange(before, pool, teams, row)));
        return !out->Failed();
      });
  if (comparison.changes.lines == 0) {
    out->Line("No quantity changed");
  } else {
    out->Line("");
    for (int side = 0; side < kSides; ++side) {
      if (!comparison.changes.side_changed[side]) continue;
      for (const std::string& line : SideTotals(side, comparison))
        out->Line(line);
    }
  }
  if (!comparison.warnings.empty()) {
    out->Line("");
    for (const std::string& line : comparison.warnings) out->Line(line);
  }
  return 0;
}

Comparison Compare(const DiffFiles& shown, const GameTables& tables,
                   const PoolColumns& pool, const SideTeams& teams,
                   const RecordTable& after,
                   const std::function<void(const std::string&)>& outside,
                   const std::function<bool(const ChangeRow&)>& on_change,
                   const Totals* before_totals) {
  const RecordTable& before = tables.fpools;
  const std::string warning =
      SlotsOutsideWarning(shown.layout, before, pool.slots);
  if (!warning.empty()) outside(warning);
  Comparison comparison;
  comparison.changes = WalkChanges(before, after, pool, on_change);
  comparison.before = before_totals != nullptr
                          ? *before_totals
                          : SumQuantities(before, pool, teams);
  comparison.after = SumQuantities(after, pool, teams);
  comparison.warnings = Warnings(shown, tables, after, pool, comparison.before,
                                 comparison.after);
  return comparison;
}

std::vector<std::string> SideTotals(int side, const Comparison& comparison) {
  std::vector<std::string> lines;
  for (int group = 0; group < 2; ++group) {
    for (int category = 0; category < 2; ++category) {
      lines.push_back(TotalsLine(side, group, category, comparison.before,
                                 comparison.after));
    }
  }
  return lines;
}

}  // namespace tovrand
