#ifndef TOVRAND_REPORT_COMMAND_LINE_H_
#define TOVRAND_REPORT_COMMAND_LINE_H_

#include "base/messages.h"

namespace tovrand {

// tovdiff's command line:
//   tovdiff [BEFORE AFTER [TABLES ALSTEAMS GETEAMS]]
// with the defaults of DiffFiles (report/diff.h) for what is not given;
// `--help` (or -h, /?) prints the usage line and `--version` the version,
// both with status 0; `--data-folder SCRIPT` is run-example.bat's helper
// (report/script_folder.h). Any other count of arguments prints the usage
// line with status 1. Otherwise as Diff.
[[nodiscard]] int RunDiff(int argc, const char* const* argv, Messages* out);

// What tovdiff says when memory runs out other than for a file's bytes
// (those name the file), ending with status 1.
inline constexpr char kReportOutOfMemory[] =
    "Out of memory: the report could not be made";

}  // namespace tovrand

#endif  // TOVRAND_REPORT_COMMAND_LINE_H_
