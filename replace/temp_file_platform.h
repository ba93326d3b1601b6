#ifndef TOVRAND_REPLACE_TEMP_FILE_PLATFORM_H_
#define TOVRAND_REPLACE_TEMP_FILE_PLATFORM_H_

// Between temp_file.cc, which holds what the temporary file does the same
// everywhere, and the one of temp_file_posix.cc and temp_file_windows.cc
// that is built, which holds what differs. Not for other callers.

#include <string>
#include <vector>

#include "replace/temp_file.h"

namespace tovrand {

// Given by temp_file.cc. The folder of `path` ("." when it names none) and
// its last part, split at the last path separator ('/' or, on Windows, '\\'
// or '/').
std::string FolderOf(const std::string& path);
std::string NameOf(const std::string& path);

// Given by temp_file.cc. Calls the step hook, if one is set.
void AtStep(TempFileStep step);

// Given by temp_file.cc. The seams a test has set, if any.
const TempFileSeams& Seams();

// What an attempt to lock a file without waiting came to: the lock is
// taken, another process holds one, or the file system has none.
enum class Lock { kTaken, kHeldByOther, kUnsupported };

// Given by each platform. The names in `folder`; none when it cannot be
// listed.
std::vector<std::string> NamesIn(const std::string& folder);

// Given by each platform. Removes the leftover temporary file at `path`
// when it is provably a run's: a regular file with no other name, that is
// not a link and is reached through none, and that no running process holds
// locked. Each check is made on the handle opened for the removal, never by
// following the name again; when one cannot be made, the file stays.
void RemoveIfUnheld(const std::string& path);

}  // namespace tovrand

#endif  // TOVRAND_REPLACE_TEMP_FILE_PLATFORM_H_
