// Fuzz target: a whole run from arbitrary inputs. Each input is decoded
// into the arguments, the four files and the state of Output (see
// run_input.h), written into a scratch directory, and run in this process.
// Whatever the input, the run must:
// - end with status 0 after printing only the success line, or with
//   status 1 after printing other lines;
// - leave every input file as it was;
// - on success, leave in Output only FPools.txt, of the input FPools.txt's
//   length and different from it only in the Quantity fields of the side's
//   pools (see output_check.h);
// - on failure, leave Output exactly as it was.
// Then tovdiff runs on the same directory, and must:
// - end with status 0, or with status 1 after exactly one line;
// - print no line that holds a control character, whatever the names;
// - after a successful run, report no difference but in quantities.
// A broken rule is printed and ends the process with abort(), which the
// fuzzer reports as a crash.

#include <stdlib.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "run/run.h"
#include "fuzz/output_check.h"
#include "fuzz/run_input.h"
#include "report/command_line.h"
#include "report/text.h"
#include "table/layout_reader.h"
#include "testing/collected_messages.h"
#include "testing/files.h"

namespace {

namespace fs = std::filesystem;
using testdata::DirectoryState;
using testdata::ReadIfFile;
using testdata::WriteFile;
using tovrand::SideCode;

const char kSuccess[] = "New FPools.txt has been placed in Output folder";
const char kPrevious[] = "previous output";

void Check(bool ok, const char* rule) {
  if (ok) return;
  std::fprintf(stderr, "fuzz_run: broken rule: %s\n", rule);
  std::abort();
}

// Makes a fresh temporary directory the current one, once per process, and
// removes it when the process ends.
void EnterScratchDir() {
  static const bool entered = [] {
    static std::string dir =
        (fs::temp_directory_path() / "tovrand-fuzz-XXXXXX").string();
    Check(mkdtemp(dir.data()) != nullptr && chdir(dir.c_str()) == 0,
          "a scratch directory can be made");
    std::atexit([] {
      std::error_code ignored;
      fs::remove_all(dir, ignored);
    });
    return true;
  }();
  (void)entered;
}

void Prepare(const RunInput& input) {
  for (int i = 0; i < kRunFileCount; ++i) {
    fs::remove_all(kRunFiles[i]);
    if (input.files[i]) WriteFile(kRunFiles[i], *input.files[i]);
  }
  fs::remove_all("Output");
  if (input.no_output) return;
  fs::create_directory("Output");
  if (input.previous_output) WriteFile("Output/FPools.txt", kPrevious);
}

// The side a successful run scaled: the first letter of its first argument.
SideCode SideOf(const RunInput& input) {
  const char letter = input.args[0].empty() ? '\0' : input.args[0][0];
  return letter == 'a' || letter == 'A' ? SideCode::kAllied : SideCode::kGerman;
}

void CheckOutput(const RunInput& input) {
  const auto output = DirectoryState("Output");
  Check(output && output->size() == 1 && output->count("FPools.txt") == 1,
        "a successful run leaves only FPools.txt in Output");
  tovrand::GameTables tables;
  tovrand::LayoutError error;
  Check(tovrand::ReadLayouts(*input.files[0], &tables, &error),
        "the layout of a successful run reads");
  Check(tables.fpools.LoadBytes(*input.files[1]), "FPools.txt is held");
  Check(IsScaledFrom(tables.fpools, SideOf(input), output->at("FPools.txt")),
        "the output differs from FPools.txt only in the side's quantities");
}

// tovdiff on what the run left: the input FPools.txt against Output's.
void CheckDiff(bool run_succeeded) {
  const char* argv[] = {"tovdiff"};
  CollectedMessages report;
  const int status = tovrand::RunDiff(1, argv, &report);
  Check(status == 0 || (status == 1 && report.lines.size() == 1),
        "tovdiff compares, or says in one line why it cannot");
  // A layout with slots outside a record: tovdiff says first that it leaves
  // them out, and what tovrand wrote there differs as other bytes.
  const bool slots_left_out =
      !report.lines.empty() && report.lines[0].rfind("Warning: ", 0) == 0;
  for (const std::string& line : report.lines) {
    // ShownPath turns every control character and every byte that is not
    // UTF-8 into '?': a clean line is left as it is.
    Check(line.empty() || tovrand::ShownPath(line) == line,
          "tovdiff's lines are UTF-8 without control characters");
    if (run_succeeded && status == 0) {
      Check((slots_left_out || !IsOtherBytesWarning(line)) &&
                !IsLengthsWarning(line, "FPools.txt"),
            "after a run tovdiff finds only quantities changed");
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  EnterScratchDir();
  const RunInput input =
      DecodeRunInput({reinterpret_cast<const char*>(data), size});
  Prepare(input);
  const auto output_before = DirectoryState("Output");

  std::vector<const char*> argv = {"tovrand"};
  for (const std::string& arg : input.args) argv.push_back(arg.c_str());
  CollectedMessages messages;
  const int status =
      tovrand::Run(static_cast<int>(argv.size()), argv.data(), &messages);

  for (int i = 0; i < kRunFileCount; ++i) {
    Check(ReadIfFile(kRunFiles[i]) == input.files[i],
          "the input files are unchanged");
  }
  if (status == 0) {
    Check(messages.lines == std::vector<std::string>{kSuccess},
          "a successful run prints only the success line");
    CheckOutput(input);
  } else {
    Check(status == 1, "the status is 0 or 1");
    Check(!messages.lines.empty(), "a failed run says why");
    for (const std::string& line : messages.lines)
      Check(line != kSuccess, "a failed run does not claim success");
    Check(DirectoryState("Output") == output_before,
          "a failed run leaves Output alone");
  }
  CheckDiff(status == 0);
  return 0;
}
