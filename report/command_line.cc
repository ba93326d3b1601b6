#include "report/command_line.h"

#include <cstring>
#include <string>

#include "base/commit.h"
#include "base/version.h"
#include "report/diff.h"
#include "report/script_folder.h"

namespace tovrand {

namespace {

constexpr char kUsage[] =
    "Usage: tovdiff [BEFORE AFTER [TABLES ALSTEAMS GETEAMS]]  (by default: "
    "FPools.txt Output/FPools.txt Tables.ini AlsTeams.txt GETeams.txt)";

}  // namespace

int RunDiff(int argc, const char* const* argv, Messages* out) {
  DiffFiles files;
  if (argc == 2 &&
      (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0 ||
       std::strcmp(argv[1], "/?") == 0)) {
    out->Line(kUsage);
    return 0;
  }
  if (argc == 3 && std::strcmp(argv[1], "--data-folder") == 0)
    return PrintDataFolder(argv[2], out);
  if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
    out->Line(std::string("tovdiff ") + kVersion + " (commit " + kCommit + ")");
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
