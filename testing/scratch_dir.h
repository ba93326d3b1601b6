#ifndef TOVRAND_TESTING_SCRATCH_DIR_H_
#define TOVRAND_TESTING_SCRATCH_DIR_H_

#include <stdlib.h>

#include <filesystem>
#include <string>

// A fresh, empty directory for one test, removed with everything in it when
// the test ends.
class ScratchDir {
 public:
  ScratchDir() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "tovrand-XXXXXX").string();
    path_ = mkdtemp(pattern.data()) ? pattern : std::string();
  }
  ~ScratchDir() {
    std::error_code ignored;
    if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
  }
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;

  const std::string& path() const { return path_; }
  std::string operator/(const std::string& name) const {
    return path_ + "/" + name;
  }

 private:
  std::string path_;
};

// Makes `dir` the current directory for as long as it lives, then returns
// to the one before: for code that works in the current directory, such as
// a whole run.
class InDirectory {
 public:
  explicit InDirectory(const std::string& dir)
      : previous_(std::filesystem::current_path()) {
    std::filesystem::current_path(dir);
  }
  ~InDirectory() {
    std::error_code ignored;
    std::filesystem::current_path(previous_, ignored);
  }
  InDirectory(const InDirectory&) = delete;
  InDirectory& operator=(const InDirectory&) = delete;

 private:
  std::filesystem::path previous_;
};

#endif  // TOVRAND_TESTING_SCRATCH_DIR_H_
