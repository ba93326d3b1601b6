#ifndef TOVRAND_FUZZ_RUN_INPUT_H_
#define TOVRAND_FUZZ_RUN_INPUT_H_

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The files of a run's directory, in the order a run input holds them.
constexpr const char* kRunFiles[] = {"Tables.ini", "FPools.txt",
                                     "AlsTeams.txt", "GETeams.txt"};
constexpr int kRunFileCount = 4;

// One whole run, as the whole-run fuzz target makes it from its input.
struct RunInput {
  bool previous_output = false;  // Output/FPools.txt exists before the run
  bool no_output = false;        // there is no Output directory at all
  std::vector<std::string> args;  // after the program's name; no NUL inside
  std::optional<std::string> files[kRunFileCount];  // absent: no such file

  bool operator==(const RunInput& other) const;
};

// Reads a run from any bytes. The first byte holds flags: 1 previous
// output, 2 no Output directory, 4 8 16 32 no Tables.ini, FPools.txt,
// AlsTeams.txt, GETeams.txt. Then come five parts, one after another: the
// arguments, each ended by a NUL (a last one without NUL still counts), and
// the four files' bytes. In a part, a backslash followed by another
// backslash stands for one backslash; a backslash followed by any other
// byte ends the part. A part the input ends before is empty.
RunInput DecodeRunInput(std::string_view bytes);

// The bytes that DecodeRunInput reads back as `input`.
std::string EncodeRunInput(const RunInput& input);

#endif  // TOVRAND_FUZZ_RUN_INPUT_H_
