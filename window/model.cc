#include "window/model.h"

#include <chrono>
#include <cstring>
#include <string_view>
#include <utility>

#include "run/run.h"
#include "base/platform.h"
#include "replace/temp_file.h"
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

constexpr char kWriteFailed[] = "Failed to write FPools.txt to Output folder";

// tovrand's lines, as the window shows them: a run in the current
// directory says it cannot open Tables.ini "in current directory", which
// in a window that shows its folder is the data folder.
std::vector<std::string> InDataFolder(std::vector<std::string> lines,
                                      const std::string& folder) {
  for (std::string& line : lines) {
    if (line == "Cannot open Tables.ini in current directory")
      line = "Cannot open Tables.ini in " + folder;
  }
  return lines;
}

// Whether tovrand reads a number from `text` by its digits: leading white
// space, one optional sign, then a digit.
bool HasNumber(const std::string& text) {
  size_t at = text.find_first_not_of(" \t\n\v\f\r");
  if (at == std::string::npos) return false;
  if (text[at] == '+' || text[at] == '-') ++at;
  return at < text.size() && text[at] >= '0' && text[at] <= '9';
}

bool SameBytes(const RecordTable& shown, const RecordTable& read) {
  return shown.length() == read.length() &&
         (shown.length() == 0 ||
          std::memcmp(shown.data(), read.data(),
                      static_cast<size_t>(shown.length())) == 0);
}

// Microseconds since `from`.
int64_t MicrosecondsSince(std::chrono::steady_clock::time_point from) {
  return std::chrono::duration_cast<std::chrono::microseconds>(
             std::chrono::steady_clock::now() - from)
      .count();
}

}  // namespace

std::vector<std::string> FieldProblems(const WindowValues& values) {
  const struct {
    const char* label;
    const std::string& text;
  } kFields[] = {
      {"Date 0 tanks", values.tank_date0},
      {"Date 0 infantry", values.infantry_date0},
      {"Other dates tanks", values.tank_other},
      {"Other dates infantry", values.infantry_other},
  };
  std::vector<std::string> lines;
  for (const auto& field : kFields) {
    if (!HasNumber(field.text))
      lines.push_back(std::string(field.label) +
                      ": type a whole number of percent, such as 80");
  }
  return lines;
}

WindowValues StartValues(int argc, const char* const* argv,
                         std::vector<std::string>* said) {
  WindowValues values;
  if (argc != 1 && argc != 6 && said != nullptr) {
    *said = {
        "Usage: tovrand side tankpercent0 infpercent0 tankpercentN "
        "infpercentN "};
  }
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
  if (!LoadDataFolder(folder, &loaded->tables, &lines, &loaded->layout)) {
    loaded->failure = InDataFolder(std::move(lines.lines), folder);
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
  preview->failure = FieldProblems(values);
  if (!preview->failure.empty()) return preview;
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
  DiffFiles shown;
  shown.after = ShownOutput();
  std::vector<std::string> outside;
  const Comparison comparison = Compare(
      shown, tables, preview->pool, preview->teams, after,
      [&outside](const std::string& warning) { outside.push_back(warning); },
      [&](const ChangeRow& row) {
        preview->rows.push_back(row);
        return true;
      },
      &preview->folder->totals);
  preview->totals = SideTotals(static_cast<int>(run.side), comparison);
  // tovdiff says first that slots lie outside a record, then the rest.
  preview->warnings = std::move(outside);
  preview->warnings.insert(preview->warnings.end(), comparison.warnings.begin(),
                           comparison.warnings.end());
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

std::string ShownOutput() { return InFolder("Output", "FPools.txt"); }

WriteResult WriteShown(const LoadedFolder& shown, const WindowValues& values) {
  const auto start = std::chrono::steady_clock::now();
  WriteResult result;
  Lines lines;
  const std::vector<std::string> problems = FieldProblems(values);
  if (!problems.empty()) {
    result.lines = problems;
    return result;
  }
  // Compared where the run has read them, before the pass: what it then
  // writes comes of these very bytes.
  const ReadCheck as_shown = [&shown, &result](const std::string& layout,
                                               const GameTables& tables,
                                               Messages* messages) {
    const auto check_start = std::chrono::steady_clock::now();
    const struct {
      const char* name;
      bool same;
    } kFiles[] = {
        {"Tables.ini", layout == shown.layout},
        {"FPools.txt", SameBytes(shown.tables.fpools, tables.fpools)},
        {"AlsTeams.txt", SameBytes(shown.tables.alsteams, tables.alsteams)},
        {"GETeams.txt", SameBytes(shown.tables.geteams, tables.geteams)},
    };
    for (const auto& file : kFiles) {
      if (!file.same) {
        messages->Line(std::string(file.name) +
                       " has changed since the window showed it: nothing "
                       "was written");
        result.reload = true;
      }
    }
    if (result.reload) {
      messages->Line(
          "The list now shows the data folder as it is: look it over, then "
          "Write again");
    }
    result.check_us = MicrosecondsSince(check_start);
    return !result.reload;
  };
  result.status = RunInFolder(shown.folder, 6, Arguments(values).data(),
                              &lines, as_shown);
  result.lines = InDataFolder(std::move(lines.lines), shown.folder);
  // A folder that can no longer be read is not as shown either.
  if (result.status != 0 && !result.lines.empty() &&
      result.lines.back() != kWriteFailed)
    result.reload = true;
  if (!result.lines.empty() && result.lines.back() == kWriteFailed) {
    result.lines.push_back(WriteFailureCause(shown.folder));
    result.no_output =
        KindOf(InFolder(shown.folder, "Output")) == PathKind::kNothing;
  }
  result.took_us = MicrosecondsSince(start);
  return result;
}

std::string WriteFailureCause(const std::string& folder) {
  const std::string output = InFolder(folder, "Output");
  const std::string target = InFolder(output, "FPools.txt");
  const std::string shown = ShownOutput();
  switch (KindOf(output)) {
    case PathKind::kNothing:
      return "The data folder has no Output folder, and tovrand makes none";
    case PathKind::kFile:
    case PathKind::kOther:
      return "Output in the data folder is a file, not a folder";
    case PathKind::kFolder:
      break;
  }
  if (SameFile(output, folder))
    return "Output leads back to the data folder: the output would replace "
           "FPools.txt itself";
  switch (KindOf(target)) {
    case PathKind::kFolder:
      return shown + " is a folder, not a file";
    case PathKind::kOther:
      return shown + " is not a file: a device or a pipe has its name";
    case PathKind::kNothing:
    case PathKind::kFile:
      break;
  }
  if (HeldAgainstReplacing(target))
    return shown + " is open in another program, which keeps it from being "
                   "replaced: close it there, then Write again";
  ReplacedFile replaced;
  if (!InspectTarget(target, &replaced))
    return shown + " is read-only: clear Read-only in its Properties, then "
                   "Write again";
  return "Output could not be written: the disk may be full, or this user "
         "may not write there";
}

bool MakeOutputFolder(const std::string& folder) {
  return MakeFolder(InFolder(folder, "Output"));
}

}  // namespace tovrand
