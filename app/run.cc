#include "app/run.h"

#include <string>

#include "base/decimal.h"
#include "base/file_io.h"
#include "base/platform.h"
#include "pool/scale_fpools.h"
#include "table/game_tables.h"
#include "table/layout_reader.h"
#include "table/record_table.h"

namespace tovrand {

namespace {

// Loads one data file into its table. A table whose section Tables.ini
// lacks has no record size, so its records could not be counted: that is
// reported before the file is touched, with why the section was missed when
// its header was misread.
bool LoadTable(RecordTable* table, const char* name,
               const MisreadHeaders& misread, Messages* messages) {
  const std::string file = std::string(name) + ".txt";
  if (table->recordSize() == 0) {
    messages->Line(NoSectionText("Tables.ini", name, misread));
    return false;
  }
  ReadResult result = ReadResult::kOk;
  if (table->Load(file, &result)) return true;
  messages->Line(ReadFailureLine(result, file));
  return false;
}

}  // namespace

int Run(int argc, const char* const* argv, Messages* messages) {
  GameTables tables;

  if (argc != 6) {
    messages->Line(
        "Usage: tovrand side tankpercent0 infpercent0 tankpercentN "
        "infpercentN ");
    return 1;
  }

  Percentages percent;
  percent.tank_date0 = ReadDecimal(argv[2]);
  percent.infantry_date0 = ReadDecimal(argv[3]);
  percent.tank_other = ReadDecimal(argv[4]);
  percent.infantry_other = ReadDecimal(argv[5]);
  if (percent.tank_date0 < 0 || percent.infantry_date0 < 0 ||
      percent.tank_other < 0 || percent.infantry_other < 0) {
    messages->Line("Given percent factors cannot be negative");
    messages->Line("Aborted");
    return 1;
  }

  // Only the first character counts; only A to Z are lowered.
  char letter = argv[1][0];
  if (letter >= 'A' && letter <= 'Z') letter = static_cast<char>(letter + 32);
  if (letter != 'a' && letter != 'g') {
    messages->Line("Side must be 'a' or 'g'");
    messages->Line("Aborted");
    return 1;
  }
  const SideCode side = letter == 'a' ? SideCode::kAllied : SideCode::kGerman;

  MisreadHeaders misread;
  if (!LoadLayouts(&tables, messages, &misread)) return 1;
  // BGroups gets a layout but no data.
  if (!LoadTable(&tables.fpools, "FPools", misread, messages) ||
      !LoadTable(&tables.alsteams, "AlsTeams", misread, messages) ||
      !LoadTable(&tables.geteams, "GETeams", misread, messages)) {
    return 1;
  }

  if (!ScaleFPools(side, &tables, percent, messages)) {
    return 1;
  }

  // An Output that leads back to this directory (a link to it) would make
  // the output replace the input FPools.txt.
  if (SameFile("Output", ".") ||
      !tables.fpools.Save(std::string("Output") + kPathSeparator +
                          "FPools.txt")) {
    messages->Line("Failed to write FPools.txt to Output folder");
    return 1;
  }
  messages->Line("New FPools.txt has been placed in Output folder");
  return 0;
}

}  // namespace tovrand
