#ifndef TOVRAND_TESTING_FILES_H_
#define TOVRAND_TESTING_FILES_H_

// Whole files and directories as the tests, the tools and the fuzz targets
// see them.

#include <map>
#include <optional>
#include <string>

namespace testdata {

// Writes or reads a whole file in binary; both abort the program on failure.
void WriteFile(const std::string& path, const std::string& bytes);
std::string ReadFile(const std::string& path);

// The bytes of `path` when it is a regular file (a link is not followed),
// or nothing.
std::optional<std::string> ReadIfFile(const std::string& path);

// What the directory `dir` holds: each entry's name with the bytes of a
// regular file, "<directory>" for a directory, "<link to TARGET>" for a
// symbolic link (never followed), or "<other>" for anything else; nothing
// when `dir` is not a directory.
std::optional<std::map<std::string, std::string>> DirectoryState(
    const std::string& dir);

// `text` as a program prints it with `line_end` ending each line: "\n" as
// it is, or "\r\n" from a Windows program, whose standard output is in
// text mode.
std::string WithLineEnds(const std::string& text, const std::string& line_end);

}  // namespace testdata

#endif  // TOVRAND_TESTING_FILES_H_
