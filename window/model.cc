#include "window/model.h"

#include <utility>

#include "app/run.h"
#include "base/platform.h"
#include "pool/scale_fpools.h"
#include "report/diff.h"

namespace tovrand {

namespace {

// Message lines kept for the window to show.
class Lines : public Messages {
 public:
  void Line(const std::string& text) override { lines.push_back(text); }
  std::vector<std::string> lines;
};

// tovrand's command line for the values.
std::array<const char*, 6> Arguments(const WindowValues& values) {
  return {"tovrand",
          values.side.c_str(),
          values.tank_date0.c_str(),
          values.infantry_date0.c_str(),
          values.tank_other.c_str(),
          values.infantry_other.c_str()};
}

}  // namespace

WindowValues StartValues(int argc, const char* const* argv) {
  WindowValues values;
  if (argc == 6) {
    values.side = argv[1];
    values.tank_date0 = argv[2];
    values.infantry_date0 = argv[3];
    values.tank_other = argv[4];
    values.infantry_other = argv[5];
  }
  return values;
}

std::string StartFolder(const std::string& program_folder,
                        const std::string& current_folder) {
  return IsRegularFile(program_folder + kPathSeparator + "Tables.ini")
             ? program_folder
             : current_folder;
}

std::shared_ptr<const LoadedFolder> LoadFolder(const std::string& folder) {
  auto loaded = std::make_shared<LoadedFolder>();
  loaded->folder = folder;
  Lines lines;
  if (!LoadDataFolder(folder, &loaded->tables, &lines)) {
    loaded->failure = std::move(lines.lines);
    return loaded;
  }
  const GameTables& tables = loaded->tables;
  loaded->totals = SumQuantities(tables.fpools, PoolColumns(tables.fpools),
                                 SideTeams(tables));
  return loaded;
}

Preview::Preview(std::shared_ptr<const LoadedFolder> loaded)
    : folder(std::move(loaded)),
      pool(folder->tables.fpools),
      teams(folder->tables) {}

std::unique_ptr<Preview> MakePreview(std::shared_ptr<const LoadedFolder> loaded,
                                     const WindowValues& values) {
  auto preview = std::make_unique<Preview>(std::move(loaded));
  const GameTables& tables = preview->folder->tables;
  Lines lines;
  RunValues run;
  if (!ReadRunValues(Arguments(values).data() + 1, &run, &lines)) {
    preview->failure = std::move(lines.lines);
    return preview;
  }
  if (!preview->folder->failure.empty()) {
    preview->failure = preview->folder->failure;
    return preview;
  }
  const RecordTable& before = tables.fpools;
  RecordTable after;
  after.SetLayout(before.recordSize(), before.columns());
  if (!after.LoadBytes(std::string_view(
          reinterpret_cast<const char*>(before.data()),
          static_cast<size_t>(before.length())))) {
    preview->failure = {"malloc failed"};
    return preview;
  }
  if (!ScaleFPools(run.side, &after, SideTeamTable(tables, run.side),
                   run.percent, &lines)) {
    preview->failure = std::move(lines.lines);
    return preview;
  }
  const Comparison comparison = Compare(
      DiffFiles(), tables, preview->pool, preview->teams, after, [](const std::string&) {},
      [&](const ChangeRow& row) {
        preview->rows.push_back(row);
        return true;
      },
      &preview->folder->totals);
  preview->totals = SideTotals(static_cast<int>(run.side), comparison);
  preview->warnings = comparison.warnings;
  return preview;
}

std::array<std::string, kRowColumns> RowColumns(const Preview& preview,
                                                const ChangeRow& row) {
  ChangeFields fields = DescribeChange(preview.folder->tables.fpools,
                                       preview.pool, preview.teams, row);
  return {std::move(fields.pool.name),  std::move(fields.pool.side),
          std::move(fields.pool.date),  std::move(fields.slot),
          std::move(fields.team.name),  std::move(fields.team.type),
          std::move(fields.old_quantity), std::move(fields.new_quantity)};
}

std::string ChangesLine(const Preview& preview) {
  const size_t count = preview.rows.size();
  if (count == 0) return "No quantity will change";
  return std::to_string(count) +
         (count == 1 ? " quantity will change" : " quantities will change");
}

WriteResult WriteOutput(const std::string& folder, const WindowValues& values) {
  Lines lines;
  WriteResult result;
  result.status =
      RunInFolder(folder, 6, Arguments(values).data(), &lines);
  result.lines = std::move(lines.lines);
  return result;
}

}  // namespace tovrand
