// make_fuzz_corpus: writes the seed corpus of the fuzz targets.
//   make_fuzz_corpus DIR
// DIR/layout receives Tables.ini texts for fuzz_layout, DIR/run encoded
// whole runs for fuzz_run (see run_input.h). The seeds are made from the
// tests' data builders and are the same on every run. To refresh the
// committed copy: build/default/make_fuzz_corpus fuzz/corpus

#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "fuzz/run_input.h"
#include "testing/data_builder.h"
#include "testing/workspace.h"

namespace {

namespace fs = std::filesystem;
using testdata::Pool;

struct Seed {
  const char* name;
  std::string bytes;
};

// Column lines of every kind the reader knows, and the lines it skips.
const char kOddLayout[] =
    "; comment\r\n-- comment\n\n\"Before\",x\n[Other]\n\"X\",x\n"
    "[FPools]\n\"Name\",S,40\n\"Back\",H,-3\n\"Huge\",S,99999999999\n"
    "\"Name\",W\n,,\"Lead\",,W\n\"Na\"me\",W\nName,W\n\"A\",I\n\"P\",P\n"
    "\"Cr\",W\rx\r\n[fpools]\n[GETeams]\r\n\"Class\",W\r\n\"Type\",W\r\n"
    "[BGroups]\n\"B\",B\n[AlsTeams]\n\"Class\",W\n\x1a[FPools]\n\"End\",x\n";

// The standard layout with an FPools section whose Quantity 1 lies past
// the end of its record, on the next pool's Nationality and Pool Type.
std::string OverlappingLayout() {
  std::string ini = testdata::StandardLayout();
  const size_t begin = ini.find("[FPools]");
  const size_t end = ini.find("[AlsTeams]");
  const int gap_start = testdata::kPoolFirstSlot + 4;  // after the classes
  const int gap = testdata::kPoolSize + testdata::kPoolNationality - gap_start;
  return ini.replace(begin, end - begin,
                     "[FPools]\n\"Name\",S,40\n\"Nationality\",B\n"
                     "\"Pool Type\",B\n\"Date\",W\n\"Team Class 1\",W\n"
                     "\"Team Class 2\",W\n\"Gap\",S," +
                         std::to_string(gap) + "\n\"Quantity 1\",W\n");
}

RunInput StandardRun(std::vector<std::string> args) {
  RunInput run;
  run.args = std::move(args);
  run.files[0] = testdata::StandardLayout();
  run.files[1] = testdata::PoolRecords(testdata::kPools);
  run.files[2] = testdata::TeamRecords(testdata::kAlliedTeams);
  run.files[3] = testdata::TeamRecords(testdata::kGermanTeams);
  return run;
}

std::vector<Seed> RunSeeds() {
  const std::vector<std::string> german = {"g", "100", "80", "50", "60"};
  std::vector<Seed> seeds;
  const auto add = [&seeds](const char* name, const RunInput& run) {
    seeds.push_back({name, EncodeRunInput(run)});
  };
  RunInput run = StandardRun(german);
  run.previous_output = true;
  add("german", run);
  add("allied", StandardRun({"Allied", "50%", "+40", "-0", "none"}));
  add("too_many_tanks", StandardRun({"g", "99999999999", "1", "1", "1"}));
  add("negative", StandardRun({"g", "100", "-1", "50", "60"}));
  add("bad_side", StandardRun({"x", "1", "1", "1", "1"}));
  add("four_arguments", StandardRun({"g", "1", "2", "3"}));
  run = StandardRun(german);
  run.no_output = true;
  add("no_output", run);
  run = StandardRun(german);
  run.files[3].reset();
  add("no_geteams", run);
  run = StandardRun(german);
  run.files[0] = "[FPools]\n\"Name\",x\n";
  add("bad_layout", run);
  run = StandardRun(german);
  run.files[3] = testdata::TeamRecords({});
  add("unknown_class", run);

  // Names that hold the words of the report's warnings: the change lines
  // that show them are no warnings.
  run = StandardRun(german);
  std::vector<Pool> worded_pools = testdata::kPools;
  for (Pool& pool : worded_pools) pool.name = "records were compared";
  std::vector<testdata::Team> worded_teams = testdata::kGermanTeams;
  for (auto& team : worded_teams) team.name = "outside the Quantity fields";
  run.files[1] = testdata::PoolRecords(worded_pools);
  run.files[3] = testdata::TeamRecords(worded_teams);
  add("warning_words", run);

  // Pools whose Quantity 1 is the next pool's Nationality: scaling one pool
  // changes the side of the next. In the Allied run the second pool only
  // becomes Allied that way, and then changes the third.
  const std::vector<Pool> chained = {{"Spearhead", 1, 0, {{5, -1}}},
                                     {"Follow Up", 1, 0, {{5, -1}}},
                                     {"German Reserve", 1, 0, {{5, -1}}}};
  for (const char* side : {"g", "a"}) {
    run = StandardRun({side, "50", "50", "50", "50"});
    run.files[0] = OverlappingLayout();
    run.files[1] = testdata::PoolRecords(chained);
    run.files[1]->at(testdata::kPoolNationality) = side[0] == 'a' ? 0 : 1;
    add(side[0] == 'a' ? "overlapping_allied" : "overlapping_german", run);
  }
  return seeds;
}

std::vector<Seed> LayoutSeeds() {
  return {{"standard", testdata::StandardLayout()},
          {"odd_lines", kOddLayout},
          {"overlapping", OverlappingLayout()},
          {"unknown_type", "[FPools]\n\"Class\",x\n"},
          {"missing_type", "[AlsTeams]\n\"Class\",,,\n"}};
}

// Writes each seed to a file of its name in `dir`; stops the program when
// one cannot be written.
void WriteSeeds(const fs::path& dir, const std::vector<Seed>& seeds) {
  std::error_code ignored;  // a directory that is missing fails below
  fs::create_directories(dir, ignored);
  for (const Seed& seed : seeds)
    testdata::WriteFile((dir / seed.name).string(), seed.bytes);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::printf("usage: make_fuzz_corpus DIR\n");
    return 1;
  }
  const fs::path dir = argv[1];
  WriteSeeds(dir / "layout", LayoutSeeds());
  WriteSeeds(dir / "run", RunSeeds());
  return 0;
}
