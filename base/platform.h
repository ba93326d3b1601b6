#ifndef TOVRAND_BASE_PLATFORM_H_
#define TOVRAND_BASE_PLATFORM_H_

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

namespace tovrand {

// The few file services that differ between Windows and POSIX systems.

// The directory separator: '\\' on Windows, '/' elsewhere.
extern const char kPathSeparator;

// Opens `path` for binary reading if it is a regular file, after following
// links, and sets `size` to its size in bytes then. Returns null when it
// cannot be opened or is anything else (a folder, a pipe, a device),
// without waiting for a pipe's writer.
[[nodiscard]] std::FILE* OpenRegularFile(const std::string& path,
                                         int64_t* size);

// Whether `a` and `b` name the same existing file or directory, through
// whatever links lead to it. False when either cannot be reached.
[[nodiscard]] bool SameFile(const std::string& a, const std::string& b);

// Allocates `size` bytes to hold a whole file, to be released with
// std::free, or returns null. On Linux a buffer of 4 MiB or more is aligned
// to 2 MiB and advised for transparent huge pages, and may take up to 2 MiB
// more than `size` (why, and what it saves: bench/README.md).
[[nodiscard]] void* AllocateFileBuffer(size_t size);

// This process's id, one of the things that make temporary names unique.
long ProcessId();

}  // namespace tovrand

#endif  // TOVRAND_BASE_PLATFORM_H_
