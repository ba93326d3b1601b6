#include "testing/output_cases.h"

#include <filesystem>

#include "testing/files.h"

namespace testdata {

namespace fs = std::filesystem;

const std::vector<OutputCase> kOutputCases = {
    {"no Output folder",
     [](const std::string& dir) { fs::remove_all(fs::path(dir) / "Output"); },
     false,
     {},
     "The data folder has no Output folder, and tovrand makes none"},
    {"Output is a file",
     [](const std::string& dir) {
       fs::remove_all(fs::path(dir) / "Output");
       WriteFile(fs::path(dir) / "Output", "not a folder");
     },
     false,
     {},
     "Output in the data folder is a file, not a folder"},
    {"Output leads back to the data folder",
     [](const std::string& dir) {
       fs::remove_all(fs::path(dir) / "Output");
       fs::create_directory_symlink(".", fs::path(dir) / "Output");
     },
     false,
     {},
     "Output leads back to the data folder: the output would replace "
     "FPools.txt itself"},
    {"Output/FPools.txt is a folder",
     [](const std::string& dir) {
       const fs::path target = fs::path(dir) / "Output/FPools.txt";
       fs::remove(target);
       fs::create_directory(target);
       WriteFile(target / "keep", "kept");
     },
     false,
     {},
     "Output/FPools.txt is a folder, not a file"},
    // A killed run's temporary file goes; the modder's look-alike stays.
    {"leftovers of earlier runs",
     [](const std::string& dir) {
       WriteFile(fs::path(dir) / "Output/FPools.txt.0123456789abcdef.tmp",
                 "a killed run's");
       WriteFile(fs::path(dir) / "Output/FPools.txt.bad.tmp", "the modder's");
     },
     true,
     {{"FPools.txt.bad.tmp", "the modder's"}},
     ""},
};

}  // namespace testdata
