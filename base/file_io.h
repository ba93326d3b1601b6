#ifndef TOVRAND_BASE_FILE_IO_H_
#define TOVRAND_BASE_FILE_IO_H_

#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "base/platform.h"

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
  kChanged,        // the file changed while it was read: fewer or more bytes
                   // than it held when opened, or a new modification time
  kTooLarge,       // more than the caller's limit
  kNoMemory,       // the first allocation failed
  kNoMemoryToGrow  // enlarging the buffer failed
};

// Reads the rest of `file`, opened by OpenRegularFile (base/platform.h)
// with the stamp `opened`, in a few bulk reads, and leaves it open. Once the
// end is reached the file must be as it was when opened: the same stamp,
// and as many bytes read as it held then, or kChanged. A file that held no
// bytes when opened, as a pseudo file (/proc) may seem to, is read to its
// end whatever it holds. A file of more than `max_size` bytes is kTooLarge.
// An empty file gives an empty buffer with no storage. On anything but kOk,
// `out` is left empty.
[[nodiscard]] ReadResult ReadOpenFile(std::FILE* file, const FileStamp& opened,
                                      size_t max_size, ByteBuffer* out);

// Reads the file at `path` whole, in binary, as ReadOpenFile does. Anything
// but a regular file (after following links) cannot be opened. On anything
// but kOk, `out` is left empty.
[[nodiscard]] ReadResult ReadWholeFile(const std::string& path, size_t max_size,
                                       ByteBuffer* out);

// The largest input file: record indices and byte offsets are 32-bit.
constexpr size_t kMaxInputSize = 2147483647;

// Reads the input file `path` whole, as ReadWholeFile does, with the limit
// kMaxInputSize.
[[nodiscard]] ReadResult ReadInputFile(const std::string& path,
                                       ByteBuffer* out);

// The line that tells why the input file `path` could not be read:
// "Cannot open <path>", "<path> changed while it was read", "<path> is too
// large: more than 2147483647 bytes", "malloc failed" or "realloc failed".
// Not for kOk.
std::string ReadFailureLine(ReadResult result, const std::string& path);

}  // namespace tovrand

#endif  // TOVRAND_BASE_FILE_IO_H_
