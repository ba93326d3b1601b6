// The source tree holds together: the committed sample is what the
// generator writes, the readmes name this version's packages, and each room
// of the product includes only the rooms below it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
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

// The version in "tovrand-1.1.0-windows-x64.zip" and the like at `at`, or ""
// when no package name starts there.
std::string PackageVersionAt(const std::string& text, size_t at) {
  const std::string prefix = "tovrand-";
  if (text.compare(at, prefix.size(), prefix) != 0) return "";
  size_t end = at + prefix.size();
  for (int part = 0; part < 3; ++part) {
    const size_t digits = end;
    while (end < text.size() && std::isdigit(static_cast<unsigned char>(text[end]))) ++end;
    if (end == digits || end == text.size() || text[end] != (part < 2 ? '.' : '-')) return "";
    ++end;
  }
  return text.substr(at + prefix.size(), end - 1 - at - prefix.size());
}

TEST(SourceTreeTest, TheReadmesNameThisVersionsPackages) {
  for (const char* doc : {"README.md", "release/README.txt", "docs/development.md"}) {
    const std::string text = testdata::ReadFile(kSource + "/" + doc);
    int names = 0;
    for (size_t at = text.find("tovrand-"); at != std::string::npos;
         at = text.find("tovrand-", at + 1)) {
      const std::string version = PackageVersionAt(text, at);
      if (version.empty()) continue;
      ++names;
      EXPECT_EQ(version, kVersion) << doc << " names tovrand-" << version << "-";
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
  const std::string include = "#include \"";
  for (size_t room = 0; room < kRooms.size(); ++room) {
    for (const auto& entry : fs::directory_iterator(kSource + "/" + kRooms[room])) {
      const std::string name = entry.path().filename().string();
      if (IsTest(name)) continue;
      const std::string text = testdata::ReadFile(entry.path().string());
      for (size_t at = text.find(include); at != std::string::npos;
           at = text.find(include, at + 1)) {
        const size_t start = at + include.size();
        const size_t slash = text.find_first_of("/\"\n", start);
        if (slash == std::string::npos || text[slash] != '/') continue;
        const auto folder = std::find(kRooms.begin(), kRooms.end(),
                                      text.substr(start, slash - start));
        EXPECT_TRUE(folder != kRooms.end() &&
                    folder - kRooms.begin() <= static_cast<long>(room))
            << kRooms[room] << "/" << name << " includes "
            << text.substr(at, text.find('\n', at) - at);
      }
    }
  }
}

}  // namespace
}  // namespace tovrand
