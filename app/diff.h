#ifndef TOVRAND_APP_DIFF_H_
#define TOVRAND_APP_DIFF_H_

#include <string>

#include "base/messages.h"

namespace tovrand {

// The files tovdiff reads: the FPools file before and after a run, and the
// layout and team files to read them with. By default those of a data
// folder after a tovrand run in it.
struct DiffFiles {
  std::string before = "FPools.txt";
  std::string after = "Output/FPools.txt";
  std::string layout = "Tables.ini";
  std::string allied_teams = "AlsTeams.txt";
  std::string german_teams = "GETeams.txt";
};

// tovdiff's command line:
//   tovdiff [BEFORE AFTER [TABLES ALSTEAMS GETEAMS]]
// with the defaults of DiffFiles for what is not given; `--help` prints the
// usage line and `--version` the version, both with status 0. Any other
// count of arguments prints the usage line with status 1. Otherwise as
// Diff.
[[nodiscard]] int RunDiff(int argc, const char* const* argv, Messages* out);

// Compares `files.before` with `files.after`, both read with the [FPools]
// layout, and writes the report to `out`:
//  - one line per `Quantity k` field whose value differs, in file order:
//      "<pool> (<side>, date <d>), slot <k>, <team> (<type>): <old> -> <new>"
//    where the team is the first record of the slot's class in the pool's
//    side's team file, as tovrand finds it;
//  - then, for Allied and then German when a pool of that side has a
//    changed quantity, four lines of totals
//      "<side>, <date 0|other dates>, <tank|infantry>: <before> -> <after>"
//    each the sum of the quantities of that category over all the side's
//    pools of that date group, read from each file on its own;
//  - or "No quantity changed" in place of both;
//  - then one "Warning: " line for each way the files do not fit their
//    layout or differ other than in quantities.
// An empty line separates the three parts. Returns 0 when it could compare;
// 1 after one line that names the file and the reason when it could not.
[[nodiscard]] int Diff(const DiffFiles& files, Messages* out);

}  // namespace tovrand

#endif  // TOVRAND_APP_DIFF_H_
