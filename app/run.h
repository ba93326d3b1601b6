#ifndef TOVRAND_APP_RUN_H_
#define TOVRAND_APP_RUN_H_

#include "base/messages.h"

namespace tovrand {

// One run of tovrand in the current directory:
//   tovrand side tankpercent0 infpercent0 tankpercentN infpercentN
// reads Tables.ini, FPools.txt, AlsTeams.txt and GETeams.txt, rescales the
// side's pools and writes the whole FPools file to Output/FPools.txt.
// `argv[0]` is the program's name. Every outcome is reported as message
// lines; returns the exit status, 0 on success and 1 on any failure.
[[nodiscard]] int Run(int argc, const char* const* argv, Messages* messages);

}  // namespace tovrand

#endif  // TOVRAND_APP_RUN_H_
