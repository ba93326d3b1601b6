# Names the commit a build is made from, in a header for the programs and a
# text file for the packages' README.txt, each written only when what it
# says changes. Run in script mode at configure time and at every build:
#   cmake -DSOURCE_DIR=<tree> -DHEADER=<commit.h> -DTEXT=<commit.txt>
#         -P commit.cmake
# The commit is the full hash of the tree's HEAD, followed by "-modified"
# when a tracked file differs from it (such a build cannot be made again
# from the commit), or "unknown" without git or a repository.
cmake_minimum_required(VERSION 3.25)
set(commit unknown)
find_program(GIT git)
if(GIT)
  execute_process(COMMAND "${GIT}" -C "${SOURCE_DIR}" rev-parse HEAD
    OUTPUT_VARIABLE head RESULT_VARIABLE head_failed
    OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
  execute_process(
    COMMAND "${GIT}" -C "${SOURCE_DIR}" status --porcelain --untracked-files=no
    OUTPUT_VARIABLE changes RESULT_VARIABLE status_failed ERROR_QUIET)
  if(NOT head_failed AND NOT status_failed AND head MATCHES "^[0-9a-f]+$")
    set(commit "${head}")
    if(NOT changes STREQUAL "")
      string(APPEND commit "-modified")
    endif()
  endif()
endif()
file(CONFIGURE OUTPUT "${HEADER}" @ONLY CONTENT "#ifndef TOVRAND_BASE_COMMIT_H_
#define TOVRAND_BASE_COMMIT_H_

// Made by cmake/commit.cmake: the commit this build is made from.
namespace tovrand {
constexpr char kCommit[] = \"@commit@\";
}  // namespace tovrand

#endif  // TOVRAND_BASE_COMMIT_H_
")
file(CONFIGURE OUTPUT "${TEXT}" @ONLY CONTENT "@commit@")
