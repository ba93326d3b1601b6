#ifndef TOVRAND_BASE_FILE_IO_H_
#define TOVRAND_BASE_FILE_IO_H_

#include <cstddef>
#include <cstdlib>
#include <memory>
#include <string>

#include "base/messages.h"

namespace tovrand {

// A file's bytes, owned. The storage is not zeroed before it is read into,
// so a large file's memory is touched once.
struct ByteBuffer {
  struct Free {
    void operator()(unsigned char* p) const { std::free(p); }
  };
  std::unique_ptr<unsigned char, Free> bytes;
  size_t size = 0;
};

enum class ReadResult {
  kOk,
  kCannotOpen,     // no such file, or no permission
  kReadError,      // opened, but reading failed before the end
  kTooLarge,       // more than the caller's limit
  kNoMemory,       // the first allocation failed
  kNoMemoryToGrow  // enlarging the buffer failed
};

// Reads the file at `path` whole, in binary, in a few bulk reads. An empty
// file gives an empty buffer with no storage. On anything but kOk, `out` is
// left empty.
[[nodiscard]] ReadResult ReadWholeFile(const std::string& path, size_t max_size,
                                       ByteBuffer* out);

// Raises the fatal stop for a read that ran out of memory, "malloc failed"
// or "realloc failed" as the first allocation or a later one failed.
// Returns whether it did.
bool RaiseIfOutOfMemory(ReadResult result, FatalStop* fatal);

// Replaces the file at `path` with `size` bytes from `data`, or leaves it as
// it was. The bytes go to a new temporary file beside `path`; every write,
// the flush and the close are checked, and only then is the temporary file
// renamed over `path`. On any failure the temporary file is removed and
// false is returned.
[[nodiscard]] bool WriteFileAtomically(const std::string& path,
                                       const unsigned char* data, size_t size);

}  // namespace tovrand

#endif  // TOVRAND_BASE_FILE_IO_H_
