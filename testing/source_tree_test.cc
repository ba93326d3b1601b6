// The source tree holds together: the committed sample is what the
// generator writes, the readmes name this version's packages, and each room
// of the product includes only the rooms below it.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <regex>
#include <string>
#include <vector>

#include "base/version.h"
#include "testing/files.h"
#include "testing/process.h"

namespace tovrand {
namespace {

namespace fs = std::filesystem;
const std::string kSource = TOVRAND_SOURCE_DIR;

TEST(SourceTreeTest, TheSampleIsWhatMakeSampleWrites) {
  const std::string made = TOVRAND_WORK_DIR "/sample";
  fs::remove_all(made);
  const ProcessResult run = RunIn(".", ShellQuote(TOVRAND_MAKE_SAMPLE), {made});
  ASSERT_EQ(run.status, 0) << run.out << run.err;
  EXPECT_TRUE(fs::is_directory(made + "/Output"));
  // tovrand writes into Output and does not make it: git keeps it by this.
  EXPECT_TRUE(fs::exists(kSource + "/sample/data/Output/.gitkeep"));
  for (const char* name : {"Tables.ini", "FPools.txt", "AlsTeams.txt", "GETeams.txt"}) {
    EXPECT_EQ(testdata::ReadFile(kSource + "/sample/data/" + name),
              testdata::ReadFile(made + "/" + name))
        << name << " differs from what make_sample writes: "
        << "build/default/make_sample sample/data";
  }
}

TEST(SourceTreeTest, TheReadmesNameThisVersionsPackages) {
  const std::regex package_name("tovrand-([0-9]+\\.[0-9]+\\.[0-9]+)-");
  for (const char* doc : {"README.md", "release/README.txt", "docs/development.md"}) {
    const std::string text = testdata::ReadFile(kSource + "/" + doc);
    int names = 0;
    for (std::sregex_iterator it(text.begin(), text.end(), package_name), end;
         it != end; ++it, ++names) {
      EXPECT_EQ((*it)[1], kVersion) << doc << " names " << (*it)[0];
    }
    EXPECT_GT(names, 0) << doc << " names no package";
  }
}

// The rooms from the bottom up; each may include its own files and those
// of the rooms before it, never those after it or the tests' and tools'.
const std::vector<std::string> kRooms = {
    "base", "replace", "console", "table", "pool", "report", "run", "window", "app"};
const std::vector<std::string> kNotProduct = {
    "testing", "fuzz", "bench", "sample", "release", "build", "docs", "cmake"};

bool IsTest(const std::string& name) { return name.find("_test.") != std::string::npos; }

TEST(SourceTreeTest, EachRoomIncludesOnlyRoomsBelowIt) {
  // Every folder of product code is a room.
  for (const auto& entry : fs::directory_iterator(kSource)) {
    const std::string folder = entry.path().filename().string();
    if (!entry.is_directory() || folder[0] == '.') continue;
    const bool known = std::count(kRooms.begin(), kRooms.end(), folder) +
                           std::count(kNotProduct.begin(), kNotProduct.end(), folder) >
                       0;
    EXPECT_TRUE(known) << folder << "/ is in no room";
  }
  const std::regex include_line("#include \"([a-z_]+)/[^\"]+\"");
  for (size_t room = 0; room < kRooms.size(); ++room) {
    for (const auto& entry : fs::directory_iterator(kSource + "/" + kRooms[room])) {
      const std::string name = entry.path().filename().string();
      if (IsTest(name)) continue;
      const std::string text = testdata::ReadFile(entry.path().string());
      for (std::sregex_iterator it(text.begin(), text.end(), include_line), end;
           it != end; ++it) {
        const auto at = std::find(kRooms.begin(), kRooms.end(), (*it)[1]);
        EXPECT_TRUE(at != kRooms.end() && at - kRooms.begin() <= static_cast<long>(room))
            << kRooms[room] << "/" << name << " includes " << (*it)[0];
      }
    }
  }
}

}  // namespace
}  // namespace tovrand
