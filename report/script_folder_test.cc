#include "report/script_folder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "testing/collected_messages.h"
#include "testing/scratch_dir.h"

namespace tovrand {
namespace {

// The DATA line as a modder edits it in Notepad, saved as UTF-8 or ANSI.
TEST(ScriptFolderTest, TheLastDataLineNamesTheFolder) {
  const struct {
    std::string script;
    std::optional<std::string> folder;
  } kCases[] = {
      {"set \"DATA=D:\\Spiel \xC3\xBC\"\r\n", "D:\\Spiel \xC3\xBC"},
      {"set \"DATA=D:\\Spiel \xFC\"\r\n", "D:\\Spiel \xC3\xBC"},
      {"set \"DATA=%~dp0\"\r\nrem   set \"DATA=C:\\Games\"\r\n"
       "  @SET \"Data=E:\\Mine\" \r\nset \"DATA=F:\\Last\"",
       "F:\\Last"},
      {"set \"DATA=\"\n", ""},
      {"rem set \"DATA=C:\\Games\"\r\nset DATA=C:\\Bare\r\n"
       "set \"DATAX=C:\\Other\"\r\nset \"DATA=C:\\Unclosed\r\n",
       std::nullopt},
      {"", std::nullopt},
  };
  for (const auto& c : kCases) {
    EXPECT_EQ(DataFolderOfScript(c.script), c.folder) << c.script;
  }
}

TEST(ScriptFolderTest, TheFolderOrWhyNotIsOneLine) {
  ScratchDir dir;
  std::filesystem::create_directory(dir / "Spiel \xC3\xBC");
  const struct {
    std::string script;  // the file's bytes; "" for no file
    int status;
    std::string line;
  } kCases[] = {
      {"set \"DATA=" + dir.path() + "/Spiel \xFC\"\r\n", 0,
       dir.path() + "/Spiel \xC3\xBC"},
      {"set \"DATA=" + dir.path() + "/Gone\"\r\n", 1,
       "Cannot open the data folder \"" + dir.path() + "/Gone\""},
      {"set \"DATA=\"\r\n", 1, "Cannot open the data folder \"\""},
      {"set DATA=x\r\n", 1, "run.bat has no line set \"DATA=...\""},
      {"", 1, "Cannot open run.bat"},
  };
  for (const auto& c : kCases) {
    std::filesystem::remove(dir / "run.bat");
    if (!c.script.empty()) std::ofstream(dir / "run.bat") << c.script;
    InDirectory here(dir.path());
    CollectedMessages out;
    EXPECT_EQ(PrintDataFolder("run.bat", &out), c.status) << c.script;
    EXPECT_EQ(out.lines, std::vector<std::string>{c.line});
  }
}

}  // namespace
}  // namespace tovrand
