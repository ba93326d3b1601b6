#ifndef TOVRAND_RUN_RUN_H_
#define TOVRAND_RUN_RUN_H_

#include <functional>
#include <string>

#include "base/messages.h"
#include "pool/scale_fpools.h"
#include "pool/sides.h"
#include "table/game_tables.h"

namespace tovrand {

// One run of tovrand in the current directory:
//   tovrand side tankpercent0 infpercent0 tankpercentN infpercentN
// reads Tables.ini, FPools.txt, AlsTeams.txt and GETeams.txt, rescales the
// side's pools and writes the whole FPools file to Output/FPools.txt.
// `argv[0]` is the program's name. Every outcome is reported as message
// lines; returns the exit status, 0 on success and 1 on any failure.
[[nodiscard]] int Run(int argc, const char* const* argv, Messages* messages);

// A look at what a run has read, Tables.ini's bytes and the tables, taken
// once all is read and before the pass: false stops the run after the
// lines it wrote, with nothing written. The run then writes the very bytes
// it was shown.
using ReadCheck = std::function<bool(const std::string& layout,
                                     const GameTables& tables,
                                     Messages* messages)>;

// The same run in the data folder `folder` ("" for the current directory),
// with the same lines: they name the files as a run in the folder would.
// With `check`, the run goes on past the reading only when it agrees.
[[nodiscard]] int RunInFolder(const std::string& folder, int argc,
                              const char* const* argv, Messages* messages,
                              const ReadCheck& check = nullptr);

// The side and percentages of a run.
struct RunValues {
  SideCode side = SideCode::kGerman;
  Percentages percent;
};

// tovrand's five values, side then the four percentages, read as a run
// reads its arguments: the percentages first, each as ReadDecimal reads
// it, then the side's first letter. False after writing the run's two
// lines when one is refused.
[[nodiscard]] bool ReadRunValues(const char* const values[5], RunValues* out,
                                 Messages* messages);

// Reads Tables.ini and the three data files of `folder` ("" for the
// current directory) as a run does, in its order. False after writing the
// run's line for the first that fails. With `layout`, sets it to
// Tables.ini's bytes.
[[nodiscard]] bool LoadDataFolder(const std::string& folder,
                                  GameTables* tables, Messages* messages,
                                  std::string* layout = nullptr);

}  // namespace tovrand

#endif  // TOVRAND_RUN_RUN_H_
