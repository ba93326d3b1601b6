#ifndef TOVRAND_TESTING_OUTPUT_CASES_H_
#define TOVRAND_TESTING_OUTPUT_CASES_H_

// What a run leaves in Output, by what stands there before it: one table,
// run through tovrand and through the window's Write.

#include <map>
#include <string>
#include <vector>

namespace testdata {

// Each case is done to a fresh data folder `dir` whose Output holds a
// previous FPools.txt ("previous output"), then run with 100 100 100 100,
// which writes the input FPools.txt as it is.
struct OutputCase {
  const char* what;
  void (*setup)(const std::string& dir);
  // The run replaces Output/FPools.txt, and Output then holds it and
  // `kept`; else it fails with "Failed to write FPools.txt to Output
  // folder" and Output stays as it was.
  bool replaced;
  std::map<std::string, std::string> kept;
  // After the failure line, the window's line of why (native paths).
  const char* cause;
};
extern const std::vector<OutputCase> kOutputCases;

}  // namespace testdata

#endif  // TOVRAND_TESTING_OUTPUT_CASES_H_
