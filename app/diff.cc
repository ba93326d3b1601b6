#include "app/diff.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/file_io.h"
#include "base/version.h"
#include "pool/class_index.h"
#include "pool/scale_fpools.h"
#include "pool/slot_columns.h"
#include "pool/team_types.h"
#include "table/layout_reader.h"
#include "table/record_table.h"

namespace tovrand {

namespace {

constexpr char kUsage[] =
    "Usage: tovdiff [BEFORE AFTER [TABLES ALSTEAMS GETEAMS]]  (by default: "
    "FPools.txt Output/FPools.txt Tables.ini AlsTeams.txt GETeams.txt)";

// What stops a comparison is a fatal stop whose message is the one line
// that names the file and the reason.
bool Fail(FatalStop* failure, std::string line) {
  failure->Raise(std::move(line));
  return false;
}

// The line for a file that could not be read.
bool FailToRead(const std::string& path, const FatalStop& fatal,
                FatalStop* failure) {
  if (!fatal.raised) return Fail(failure, "Cannot open " + path);
  // "<path> is too large: ..." names the file already; running out of
  // memory does not.
  if (fatal.message.compare(0, path.size(), path) == 0)
    return Fail(failure, fatal.message);
  return Fail(failure, "Out of memory reading " + path);
}

// Text from the files as part of one line: a control character (which
// could end the line or drive the terminal) shows as '?'.
std::string OnOneLine(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    const unsigned char byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F) c = '?';
  }
  return out;
}

// A fixed-width field's text on one line, without the blanks that pad it.
std::string Printable(std::string_view text) {
  std::string out = OnOneLine(text);
  while (!out.empty() && out.back() == ' ') out.pop_back();
  return out;
}

// The width the layout gives the column `name` (its first one), or no limit
// when it has none or gives it no positive width.
size_t WidthOf(const RecordTable& table, std::string_view name) {
  for (const ColumnDef& def : table.columns()) {
    if (def.name != name) continue;
    return def.width > 0 ? static_cast<size_t>(def.width) : SIZE_MAX;
  }
  return SIZE_MAX;
}

// A `Name` field as a line shows it; "" when there is none.
std::string NameIn(const RecordTable& table, int index, Column column,
                   size_t width) {
  std::string_view name;
  if (!table.GetText(index, column, &name, width)) return "";
  return Printable(name);
}

// A team file with its classes resolved once, as tovrand resolves them.
struct TeamFile {
  std::string path;
  RecordTable table;
  Column name;
  size_t name_width = SIZE_MAX;
  Column type;
  std::vector<int32_t> first_record;  // by class; -1: no record has it

  void Index() {
    name = table.Find("Name");
    name_width = WidthOf(table, "Name");
    type = table.Find("Type");
    first_record.assign(kTeamClasses, -1);
    VisitFirstRecordOfEachClass(table, [this](int team_class, int record) {
      first_record[static_cast<size_t>(team_class)] = record;
    });
  }

  // The first record of `team_class`, or -1.
  int RecordOf(int team_class) const {
    if (team_class < 0 || team_class >= kTeamClasses) return -1;
    return first_record[static_cast<size_t>(team_class)];
  }

  // "Panzer IV Platoon (Medium Tank)"; the class stands in for a name the
  // record lacks, and "no team" for the type when no record has the class.
  std::string Describe(int team_class) const {
    const std::string class_text = "class " + std::to_string(team_class);
    const int record = RecordOf(team_class);
    if (record < 0) return class_text + " (no team)";
    std::string text = NameIn(table, record, name, name_width);
    if (text.empty()) text = class_text;
    int code = 0;
    if (!table.GetWord(record, type, &code)) return text + " (unknown type)";
    const char* type_name = TeamTypeName(code);
    return text + " (" +
           (type_name ? std::string(type_name) : "type " + std::to_string(code)) +
           ")";
  }
};

// The FPools columns the report reads, resolved once.
struct PoolColumns {
  Column name;
  size_t name_width = SIZE_MAX;
  Column nationality;
  Column date;
  SlotColumns slots;

  explicit PoolColumns(const RecordTable& fpools)
      : name(fpools.Find("Name")),
        name_width(WidthOf(fpools, "Name")),
        nationality(fpools.Find("Nationality")),
        date(fpools.Find("Date")),
        slots(fpools) {}
};

// The two sides, as a pool's `Nationality` holds them.
constexpr int kSides = 2;
constexpr const char* kSideNames[kSides] = {"Allied", "German"};
static_assert(static_cast<int>(SideCode::kAllied) == 0 &&
                  static_cast<int>(SideCode::kGerman) == 1,
              "kSideNames is indexed by side code");

// "Panzer Lehr (German, date 0)"; a pool without a name is numbered from 1.
std::string DescribePool(const RecordTable& pools, const PoolColumns& columns,
                         int index) {
  std::string text = NameIn(pools, index, columns.name, columns.name_width);
  if (text.empty()) text = "pool " + std::to_string(index + 1);
  int nationality = 0;
  text += " (";
  if (!pools.GetByte(index, columns.nationality, &nationality)) {
    text += "no nationality";
  } else if (nationality >= 0 && nationality < kSides) {
    text += kSideNames[nationality];
  } else {
    text += "nationality " + std::to_string(nationality);
  }
  int date = 0;
  if (pools.GetWord(index, columns.date, &date)) {
    text += ", date " + std::to_string(date);
  }
  return text + ")";
}

// The sums of one FPools file: by side, date group (0: date 0, 1: other
// dates) and category (0: tank, 1: infantry).
struct Totals {
  int64_t sum[kSides][2][2] = {};
  // Slots whose class no record of their side's team file has.
  int64_t unmatched = 0;
  std::string first_unmatched;
};

Totals SumQuantities(const RecordTable& pools, const PoolColumns& columns,
                     const TeamFile* const teams_of[kSides]) {
  Totals totals;
  for (int i = 0; i < pools.recordCount(); ++i) {
    int nationality = 0;
    int date = 0;
    if (!pools.GetByte(i, columns.nationality, &nationality) ||
        nationality < 0 || nationality >= kSides ||
        !pools.GetWord(i, columns.date, &date)) {
      continue;
    }
    const TeamFile& teams = *teams_of[nationality];
    const int group = date == 0 ? 0 : 1;
    // As tovrand reads a pool: slots up to the first negative class.
    for (size_t k = 0; k < columns.slots.size(); ++k) {
      int team_class = 0;
      if (!pools.GetWord(i, columns.slots.team_class[k], &team_class) ||
          team_class < 0) {
        break;
      }
      const int record = teams.RecordOf(team_class);
      if (record < 0) {
        if (totals.unmatched++ == 0) {
          totals.first_unmatched = "class " + std::to_string(team_class) +
                                   " in slot " + std::to_string(k + 1) +
                                   " of " + DescribePool(pools, columns, i);
        }
        continue;
      }
      int type = 0;
      int quantity = 0;
      if (!teams.table.GetWord(record, teams.type, &type) ||
          !pools.GetWord(i, columns.slots.quantity[k], &quantity)) {
        continue;
      }
      switch (CategoryOf(type)) {
        case TeamCategory::kTank:
          totals.sum[nationality][group][0] += quantity;
          break;
        case TeamCategory::kInfantry:
          totals.sum[nationality][group][1] += quantity;
          break;
        case TeamCategory::kNone:
          break;
      }
    }
  }
  return totals;
}

// Loads a data file into `table`, whose layout is set.
bool LoadData(RecordTable* table, const std::string& path,
              FatalStop* failure) {
  FatalStop fatal;
  return table->Load(path, &fatal) || FailToRead(path, fatal, failure);
}

// The layout of each table, from the layout file.
bool LoadLayout(const std::string& path, RecordTable* fpools,
                RecordTable* alsteams, RecordTable* geteams,
                FatalStop* failure) {
  ByteBuffer file;
  FatalStop fatal;
  if (!ReadInputFile(path, &file, &fatal))
    return FailToRead(path, fatal, failure);
  RecordTable bgroups;
  const std::string_view text(reinterpret_cast<const char*>(file.bytes.get()),
                              file.size);
  if (!ReadLayouts(text, &bgroups, fpools, geteams, alsteams, &fatal)) {
    // The message may quote the layout's bytes: a type letter, a name.
    std::string message = fatal.message;
    while (!message.empty() && message.back() == '\n') message.pop_back();
    return Fail(failure, path + ": " + OnOneLine(message));
  }
  const struct {
    const RecordTable* table;
    const char* section;
    std::vector<const char*> columns;
  } kNeeds[] = {
      {fpools, "FPools", {"Nationality", "Date", "Team Class 1", "Quantity 1"}},
      {alsteams, "AlsTeams", {"Class", "Type"}},
      {geteams, "GETeams", {"Class", "Type"}},
  };
  for (const auto& need : kNeeds) {
    if (need.table->recordSize() <= 0) {
      return Fail(failure, path + " has no [" + need.section + "] section");
    }
    for (const char* column : need.columns) {
      if (!need.table->Find(column).found) {
        return Fail(failure, path + ": [" + need.section + "] has no \"" +
                                 column + "\" column");
      }
    }
  }
  return true;
}

// The layout's columns reach past the end of the record.
void CheckColumnsFit(const std::string& layout, const char* section,
                     const RecordTable& table, std::vector<std::string>* out) {
  int64_t at = 0;
  int64_t end = 0;
  for (const ColumnDef& def : table.columns()) {
    at += def.width;
    end = std::max(end, at);
  }
  if (end > table.recordSize()) {
    out->push_back("Warning: " + layout + ": the [" + section +
                   "] columns run to byte " + std::to_string(end) +
                   ", past the end of its " +
                   std::to_string(table.recordSize()) + "-byte records");
  }
}

// The file ends part way through a record.
void CheckWholeRecords(const std::string& path, const RecordTable& table,
                       std::vector<std::string>* out) {
  if (table.length() % table.recordSize() == 0) return;
  out->push_back("Warning: " + path + ": " + std::to_string(table.length()) +
                 " bytes are not a whole number of " +
                 std::to_string(table.recordSize()) + "-byte records");
}

// Bytes that differ other than in `Quantity k` fields of the records both
// files hold whole, which are all tovrand writes. A layout may place such
// a field anywhere, even in the next record: the fields are marked where
// they are.
void CheckOtherBytes(const RecordTable& before, const RecordTable& after,
                     const PoolColumns& columns,
                     std::vector<std::string>* out) {
  const int32_t size = before.recordSize();
  const int32_t records = std::min(before.recordCount(), after.recordCount());
  const int64_t whole = static_cast<int64_t>(records) * size;
  const int64_t common = std::min(before.length(), after.length());
  std::vector<bool> in_quantity(static_cast<size_t>(common), false);
  for (int i = 0; i < records; ++i) {
    for (const Column& column : columns.slots.quantity) {
      const int64_t start = before.FieldStart(i, column, 2);
      if (start < 0 || start + 2 > common) continue;
      in_quantity[static_cast<size_t>(start)] = true;
      in_quantity[static_cast<size_t>(start + 1)] = true;
    }
  }
  int64_t differing = 0;
  int64_t first = -1;
  for (int64_t at = 0; at < common; ++at) {
    if (before.data()[at] == after.data()[at] ||
        in_quantity[static_cast<size_t>(at)]) {
      continue;
    }
    if (differing++ == 0) first = at;
  }
  if (differing == 0) return;

  const int record = static_cast<int>(first / size);
  const int64_t byte = first % size;
  std::string where = "byte " + std::to_string(byte) + " of ";
  where += first < whole ? DescribePool(before, columns, record)
                         : "the part record at the end";
  int64_t offset = 0;
  for (const ColumnDef& def : before.columns()) {
    if (def.width > 0 && byte >= offset && byte < offset + def.width) {
      where += ", in column \"" + Printable(def.name) + "\"";
      break;
    }
    offset += def.width;
  }
  out->push_back("Warning: " + std::to_string(differing) +
                 (differing == 1 ? " byte differs" : " bytes differ") +
                 " outside the Quantity fields; the first is " + where);
}

// A line of totals: "German, other dates, tank: 120 -> 60".
std::string TotalsLine(int side, int group, int category, const Totals& before,
                       const Totals& after) {
  return std::string(kSideNames[side]) +
         (group == 0 ? ", date 0, " : ", other dates, ") +
         (category == 0 ? "tank: " : "infantry: ") +
         std::to_string(before.sum[side][group][category]) + " -> " +
         std::to_string(after.sum[side][group][category]);
}

std::string UnmatchedWarning(const std::string& path, const Totals& totals) {
  return "Warning: " + path + ": " + std::to_string(totals.unmatched) +
         (totals.unmatched == 1 ? " slot holds" : " slots hold") +
         " a class that no team record of its side has; the first is " +
         totals.first_unmatched;
}

}  // namespace

int Diff(const DiffFiles& files, Messages* out) {
  RecordTable before;
  RecordTable after;
  TeamFile allied;
  TeamFile german;
  allied.path = files.allied_teams;
  german.path = files.german_teams;
  FatalStop failure;
  if (!LoadLayout(files.layout, &before, &allied.table, &german.table,
                  &failure)) {
    out->Line(failure.message);
    return 1;
  }
  after.SetLayout(before.recordSize(), before.columns());
  if (!LoadData(&before, files.before, &failure) ||
      !LoadData(&after, files.after, &failure) ||
      !LoadData(&allied.table, allied.path, &failure) ||
      !LoadData(&german.table, german.path, &failure)) {
    out->Line(failure.message);
    return 1;
  }
  allied.Index();
  german.Index();
  const TeamFile* const teams_of[kSides] = {&allied, &german};
  const PoolColumns columns(before);

  // The changed quantities, record by record, over the records both files
  // hold whole.
  std::vector<std::string> changes;
  bool side_changed[kSides] = {false, false};
  const int records = std::min(before.recordCount(), after.recordCount());
  for (int i = 0; i < records; ++i) {
    for (size_t k = 0; k < columns.slots.size(); ++k) {
      int old_quantity = 0;
      int new_quantity = 0;
      if (!before.GetWord(i, columns.slots.quantity[k], &old_quantity) ||
          !after.GetWord(i, columns.slots.quantity[k], &new_quantity) ||
          old_quantity == new_quantity) {
        continue;
      }
      int nationality = -1;
      if (before.GetByte(i, columns.nationality, &nationality) &&
          nationality >= 0 && nationality < kSides) {
        side_changed[nationality] = true;
      }
      // tovrand looks classes up in AlsTeams for nationality 0 and in
      // GETeams otherwise.
      const TeamFile& teams = nationality == 0 ? allied : german;
      int team_class = 0;
      const std::string team =
          before.GetWord(i, columns.slots.team_class[k], &team_class)
              ? teams.Describe(team_class)
              : "no team";
      changes.push_back(DescribePool(before, columns, i) + ", slot " +
                        std::to_string(k + 1) + ", " + team + ": " +
                        std::to_string(old_quantity) + " -> " +
                        std::to_string(new_quantity));
    }
  }

  const Totals totals_before = SumQuantities(before, columns, teams_of);
  const Totals totals_after = SumQuantities(after, columns, teams_of);

  std::vector<std::string> warnings;
  CheckColumnsFit(files.layout, "FPools", before, &warnings);
  CheckColumnsFit(files.layout, "AlsTeams", allied.table, &warnings);
  CheckColumnsFit(files.layout, "GETeams", german.table, &warnings);
  CheckWholeRecords(files.before, before, &warnings);
  CheckWholeRecords(files.after, after, &warnings);
  CheckWholeRecords(allied.path, allied.table, &warnings);
  CheckWholeRecords(german.path, german.table, &warnings);
  if (totals_before.unmatched > 0) {
    warnings.push_back(UnmatchedWarning(files.before, totals_before));
  }
  // The output of a run holds the classes of its input: its misfits are
  // told only where they are others.
  if (totals_after.unmatched > 0 &&
      (totals_after.unmatched != totals_before.unmatched ||
       totals_after.first_unmatched != totals_before.first_unmatched)) {
    warnings.push_back(UnmatchedWarning(files.after, totals_after));
  }
  if (before.length() != after.length()) {
    warnings.push_back("Warning: " + files.before + " has " +
                       std::to_string(before.length()) + " bytes and " +
                       files.after + " " + std::to_string(after.length()) +
                       ": only their first " + std::to_string(records) +
                       " records were compared");
  }
  CheckOtherBytes(before, after, columns, &warnings);

  if (changes.empty()) {
    out->Line("No quantity changed");
  } else {
    for (const std::string& line : changes) out->Line(line);
    out->Line("");
    for (int side = 0; side < kSides; ++side) {
      if (!side_changed[side]) continue;
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

int RunDiff(int argc, const char* const* argv, Messages* out) {
  DiffFiles files;
  if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 ||
                    std::strcmp(argv[1], "-h") == 0 ||
                    std::strcmp(argv[1], "/?") == 0)) {
    out->Line(kUsage);
    return 0;
  }
  if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
    out->Line(std::string("tovdiff ") + kVersion);
    return 0;
  }
  if (argc != 1 && argc != 3 && argc != 6) {
    out->Line(kUsage);
    return 1;
  }
  if (argc >= 3) {
    files.before = argv[1];
    files.after = argv[2];
  }
  if (argc == 6) {
    files.layout = argv[3];
    files.allied_teams = argv[4];
    files.german_teams = argv[5];
  }
  return Diff(files, out);
}

}  // namespace tovrand
