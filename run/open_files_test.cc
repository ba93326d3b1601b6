// Every file the program opens, it closes again, on every path out: after
// success, after a file that cannot be opened or read, after a fatal stop
// and after a write that fails. Each case runs in this process and compares
// the open file descriptors before and after.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <set>
#include <string>

#include "run/run.h"
#include "table/layout_reader.h"
#include "table/record_table.h"
#include "testing/collected_messages.h"
#include "testing/data_builder.h"
#include "testing/file_size_limit.h"
#include "testing/scratch_dir.h"
#include "testing/workspace.h"

namespace tovrand {
namespace {

namespace fs = std::filesystem;

// The numbers of this process's open file descriptors.
std::set<std::string> OpenDescriptors() {
  std::set<std::string> open;
  for (const auto& entry : fs::directory_iterator("/proc/self/fd"))
    open.insert(entry.path().filename().string());
  return open;
}

// Runs the program in `w`'s directory, in this process.
bool RunInProcess(const Workspace& w, const Workspace::Args& args) {
  InDirectory in_workspace(w.Dir());
  std::vector<const char*> argv = {"tovrand"};
  for (const std::string& arg : args) argv.push_back(arg.c_str());
  CollectedMessages messages;
  return Run(static_cast<int>(argv.size()), argv.data(), &messages) == 0;
}

bool Load(const std::string& path) {
  RecordTable table;
  table.SetLayout(testdata::kPoolSize, {});
  ReadResult result = ReadResult::kOk;
  return table.Load(path, &result);
}

bool Save(const std::string& path, const std::string& bytes) {
  RecordTable table;
  return table.LoadBytes(bytes) && table.Save(path);
}

// Reads the layouts from the Tables.ini of `w`.
bool LoadLayoutsIn(const Workspace& w) {
  GameTables tables;
  CollectedMessages messages;
  InDirectory in_workspace(w.Dir());
  return LoadLayouts(&tables, &messages);
}

TEST(OpenFilesTest, EveryPathClosesWhatItOpened) {
  const std::string pools = testdata::PoolRecords(testdata::kPools);
  const struct {
    const char* what;
    std::function<bool(Workspace&)> step;
    bool succeeds;
  } cases[] = {
      {"load", [](Workspace& w) { return Load(w.Path("FPools.txt")); }, true},
      {"load an empty file",
       [](Workspace& w) {
         w.Write("Empty.txt", "");
         return Load(w.Path("Empty.txt"));
       },
       true},
      {"load a missing file",
       [](Workspace& w) { return Load(w.Path("Missing.txt")); }, false},
      {"load a directory (opens, then fails to read)",
       [](Workspace& w) { return Load(w.Path("Output")); }, false},
      {"load a file whose reads fail",
       [](Workspace&) { return Load("/proc/self/mem"); }, false},
      {"load a file over the length limit",
       [](Workspace& w) {
         testdata::WriteFile(w.Path("Huge.txt"), "");
         fs::resize_file(w.Path("Huge.txt"), RecordTable::kMaxLength + 1);
         return Load(w.Path("Huge.txt"));
       },
       false},
      {"save",
       [&](Workspace& w) { return Save(w.Path("Output/Out.txt"), pools); },
       true},
      {"save into a missing directory",
       [&](Workspace& w) { return Save(w.Path("Missing/Out.txt"), pools); },
       false},
      {"save over a directory (rename fails)",
       [&](Workspace& w) { return Save(w.Path("Output"), pools); }, false},
      {"save to a full disk",
       [&](Workspace& w) {
         FileSizeLimit limit(pools.size() / 2);
         return Save(w.Path("Output/Out.txt"), pools);
       },
       false},
      {"read layouts", [](Workspace& w) { return LoadLayoutsIn(w); }, true},
      {"read a missing layout file",
       [](Workspace& w) {
         w.Remove("Tables.ini");
         return LoadLayoutsIn(w);
       },
       false},
      {"read a layout directory",
       [](Workspace& w) {
         w.Remove("Tables.ini");
         fs::create_directory(w.Path("Tables.ini"));
         return LoadLayoutsIn(w);
       },
       false},
      {"read a layout with a fatal stop",
       [](Workspace& w) {
         w.Write("Tables.ini", "[FPools]\n\"Name\",x\n");
         return LoadLayoutsIn(w);
       },
       false},
      {"a whole run", [](Workspace& w) { return RunInProcess(w, kGermanRun); }, true},
      {"a run whose team file is missing",
       [](Workspace& w) {
         w.Remove("GETeams.txt");
         return RunInProcess(w, kGermanRun);
       },
       false},
      {"a run that stops in the scaling pass",
       [](Workspace& w) {
         w.Write("GETeams.txt", testdata::TeamRecords({}));
         return RunInProcess(w, kGermanRun);
       },
       false},
      {"a run with no Output",
       [](Workspace& w) {
         w.Remove("Output");
         return RunInProcess(w, kGermanRun);
       },
       false},
      {"a run on a full disk",
       [&](Workspace& w) {
         FileSizeLimit limit(pools.size() - 1);
         return RunInProcess(w, kGermanRun);
       },
       false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Workspace w;
    const std::set<std::string> before = OpenDescriptors();
    EXPECT_EQ(c.step(w), c.succeeds) << c.what;
    EXPECT_EQ(OpenDescriptors(), before) << c.what;
  }
}

}  // namespace
}  // namespace tovrand
