#include "testing/files.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace testdata {

namespace fs = std::filesystem;

void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (!out) {
    std::fprintf(stdout, "cannot write %s\n", path.c_str());
    std::abort();
  }
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    std::fprintf(stdout, "cannot read %s\n", path.c_str());
    std::abort();
  }
  return std::string(std::istreambuf_iterator<char>(in),
                     std::istreambuf_iterator<char>());
}

std::optional<std::string> ReadIfFile(const std::string& path) {
  std::error_code error;
  if (!fs::is_regular_file(fs::symlink_status(path, error)))
    return std::nullopt;
  return ReadFile(path);
}

std::optional<std::map<std::string, std::string>> DirectoryState(
    const std::string& dir) {
  std::error_code error;
  if (!fs::is_directory(dir, error)) return std::nullopt;
  std::map<std::string, std::string> state;
  for (const auto& entry : fs::directory_iterator(dir)) {
    const std::string name = entry.path().filename().string();
    if (entry.is_symlink()) {
      state[name] = "<link to " + fs::read_symlink(entry.path()).string() + ">";
    } else if (entry.is_regular_file()) {
      state[name] = ReadFile(entry.path().string());
    } else {
      state[name] = entry.is_directory() ? "<directory>" : "<other>";
    }
  }
  return state;
}

std::string WithLineEnds(const std::string& text,
                         const std::string& line_end) {
  std::string printed;
  for (char c : text) {
    if (c == '\n') {
      printed += line_end;
    } else {
      printed += c;
    }
  }
  return printed;
}

}  // namespace testdata
