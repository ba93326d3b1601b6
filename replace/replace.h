#ifndef TOVRAND_REPLACE_REPLACE_H_
#define TOVRAND_REPLACE_REPLACE_H_

#include <cstddef>
#include <string>

namespace tovrand {

// Replaces the file at `path` with `size` bytes from `data`, or leaves it as
// it was.
//
// What `path` holds after any stop: whatever ends the run (a failure, a
// full disk or a file size limit, Ctrl-C or another interrupt, a kill, a
// power cut), `path` holds either the file it held before or all `size`
// new bytes, and nothing of this run is left beside it. The bytes go to a
// new temporary file beside `path` (replace/temp_file.h); every write and
// the sync to disk are checked, and only then is the temporary file renamed
// over `path` in one step, and the folder synced. On any failure, or an
// interrupt (replace/interrupt.h), the temporary file is removed; one that
// a kill or a power cut leaves is removed by the next run, as are the
// leftovers of earlier runs that were stopped, first of all.
//
// A file at `path` that this user could not open for writing is left alone
// (false); a replaced file keeps its permissions. True once `path` holds
// the new bytes.
[[nodiscard]] bool WriteFileAtomically(const std::string& path,
                                       const unsigned char* data, size_t size);

}  // namespace tovrand

#endif  // TOVRAND_REPLACE_REPLACE_H_
