#include "run/run.h"

#include <string>

#include "base/decimal.h"
#include "base/file_io.h"
#include "base/platform.h"
#include "table/layout_reader.h"
#include "table/record_table.h"

namespace tovrand {

namespace {

// Loads one data file into its table. A table whose section Tables.ini
// lacks has no record size, so its records could not be counted: that is
// reported before the file is touched, with why the section was missed when
// its header was misread.
bool LoadTable(RecordTable* table, const std::string& folder, const char* name,
               const MisreadHeaders& misread, Messages* messages) {
  const std::string file = std::string(name) + ".txt";
  if (table->recordSize() == 0) {
    messages->Line(NoSectionText("Tables.ini", name, misread));
    return false;
  }
  ReadResult result = ReadResult::kOk;
  if (table->Load(InFolder(folder, file), &result)) return true;
  messages->Line(ReadFailureLine(result, file));
  return false;
}

}  // namespace

bool ReadRunValues(const char* const values[5], RunValues* out,
                   Messages* messages) {
  Percentages& percent = out->percent;
  percent.tank_date0 = ReadDecimal(values[1]);
  percent.infantry_date0 = ReadDecimal(values[2]);
  percent.tank_other = ReadDecimal(values[3]);
  percent.infantry_other = ReadDecimal(values[4]);
  if (percent.tank_date0 < 0 || percent.infantry_date0 < 0 ||
      percent.tank_other < 0 || percent.infantry_other < 0) {
    messages->Line("Given percent factors cannot be negative");
    messages->Line("Aborted");
    return false;
  }

  // Only the first character counts; only A to Z are lowered.
  char letter = values[0][0];
  if (letter >= 'A' && letter <= 'Z') letter = static_cast<char>(letter + 32);
  if (letter != 'a' && letter != 'g') {
    messages->Line("Side must be 'a' or 'g'");
    messages->Line("Aborted");
    return false;
  }
  out->side = letter == 'a' ? SideCode::kAllied : SideCode::kGerman;
  return true;
}

bool LoadDataFolder(const std::string& folder, GameTables* tables,
                    Messages* messages, std::string* layout) {
  MisreadHeaders misread;
  // BGroups gets a layout but no data.
  return LoadLayouts(tables, messages, &misread,
                     InFolder(folder, "Tables.ini"), layout) &&
         LoadTable(&tables->fpools, folder, "FPools", misread, messages) &&
         LoadTable(&tables->alsteams, folder, "AlsTeams", misread, messages) &&
         LoadTable(&tables->geteams, folder, "GETeams", misread, messages);
}

int Run(int argc, const char* const* argv, Messages* messages) {
  return RunInFolder("", argc, argv, messages);
}

int RunInFolder(const std::string& folder, int argc, const char* const* argv,
                Messages* messages, const ReadCheck& check) {
  if (argc != 6) {
    messages->Line(
        "Usage: tovrand side tankpercent0 infpercent0 tankpercentN "
        "infpercentN ");
    return 1;
  }
  RunValues values;
  if (!ReadRunValues(argv + 1, &values, messages)) return 1;

  GameTables tables;
  std::string layout;
  if (!LoadDataFolder(folder, &tables, messages, check ? &layout : nullptr) ||
      (check && !check(layout, tables, messages)) ||
      !ScaleFPools(values.side, &tables, values.percent, messages)) {
    return 1;
  }

  // An Output that leads back to the data folder (a link to it) would make
  // the output replace the input FPools.txt.
  const std::string output = InFolder(folder, "Output");
  if (SameFile(output, folder.empty() ? "." : folder) ||
      !tables.fpools.Save(output + kPathSeparator + "FPools.txt")) {
    messages->Line("Failed to write FPools.txt to Output folder");
    return 1;
  }
  messages->Line("New FPools.txt has been placed in Output folder");
  return 0;
}

}  // namespace tovrand
