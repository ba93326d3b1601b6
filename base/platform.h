#ifndef TOVRAND_BASE_PLATFORM_H_
#define TOVRAND_BASE_PLATFORM_H_

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

namespace tovrand {

// The few file services that differ between Windows and POSIX systems.

// The directory separator: '\\' on Windows, '/' elsewhere.
extern const char kPathSeparator;

// `name` in `folder` joined by the separator; `name` alone when `folder` is
// empty (the current directory).
std::string InFolder(const std::string& folder, const std::string& name);

// What tells a file's contents at one moment from another: its size in
// bytes and its last-write time, in the finest unit the system keeps
// (nanoseconds on POSIX systems, 100 ns on Windows).
struct FileStamp {
  int64_t size = 0;
  int64_t modified = 0;

  bool operator==(const FileStamp& other) const {
    return size == other.size && modified == other.modified;
  }
  bool operator!=(const FileStamp& other) const { return !(*this == other); }
};

// Paths are UTF-8; on Windows files are opened by their wide names, so any
// name works whatever the ANSI code page.

// Opens `path` for binary reading if it is a regular file, after following
// links, and sets `stamp` to its stamp then. Returns null when it cannot be
// opened or is anything else (a folder, a pipe, a device), without waiting
// for a pipe's writer. The file stays open to other programs for writing,
// renaming and removal (on Windows too), so that reading it never stops one
// from replacing it. Child processes do not inherit it.
[[nodiscard]] std::FILE* OpenRegularFile(const std::string& path,
                                         FileStamp* stamp);

// Sets `stamp` to the open `file`'s stamp now. False when the system cannot
// tell it.
[[nodiscard]] bool StampOf(std::FILE* file, FileStamp* stamp);

// Whether `a` and `b` name the same existing file or directory, through
// whatever links lead to it. False when either cannot be reached.
[[nodiscard]] bool SameFile(const std::string& a, const std::string& b);

// Whether `path` leads, through whatever links, to a regular file.
[[nodiscard]] bool IsRegularFile(const std::string& path);

// What `path` leads to, through whatever links: nothing (no such file, or a
// link that leads nowhere), a regular file, a folder, or something else.
enum class PathKind { kNothing, kFile, kFolder, kOther };
PathKind KindOf(const std::string& path);

// Makes the folder `path`. False when it could not be made, or something
// already has that name.
[[nodiscard]] bool MakeFolder(const std::string& path);

// Whether another program holds the existing file `path` open in a way that
// keeps it from being replaced (on Windows, open without sharing its
// deletion). Always false elsewhere, where an open file never stops a
// rename over it.
bool HeldAgainstReplacing(const std::string& path);

// Allocates `size` bytes to hold a whole file, to be released with
// std::free, or returns null. On Linux a buffer of 4 MiB or more is aligned
// to 2 MiB and advised for transparent huge pages, and may take up to 2 MiB
// more than `size` (why, and what it saves: bench/README.md).
[[nodiscard]] void* AllocateFileBuffer(size_t size);

// Enlarges a buffer from AllocateFileBuffer to `size` bytes, keeping what it
// holds, as std::realloc does: null when memory runs out, and the buffer
// then stays as it was.
[[nodiscard]] void* GrowFileBuffer(void* data, size_t size);

// Sets the function that AllocateFileBuffer and GrowFileBuffer ask first
// whether `size` bytes may be had (`growing`: to grow a buffer), or none
// (null, as in the programs): where a test makes memory run out.
void SetFileBufferHook(bool (*may_have)(size_t size, bool growing));

// Writes all `size` bytes at `data` to `handle`, an open file descriptor
// (on Windows a HANDLE), in as many writes as it takes: a write may take
// fewer bytes (a pipe, a terminal), and on POSIX one cut short by a signal
// (EINTR) is tried again. False when a write fails or takes nothing.
bool WriteAll(std::intptr_t handle, const void* data, size_t size);

#ifdef _WIN32
// Text between UTF-8, as the programs hold it, and UTF-16, as Windows takes
// file names and console text. A byte that is not UTF-8 becomes U+FFFD.
std::wstring WideFromUtf8(std::string_view text);
std::string Utf8FromWide(std::wstring_view text);
// Text in the ANSI code page (Windows-1252 on a Western Windows), in UTF-8.
std::string Utf8FromAnsi(std::string_view text);
#endif

// The folder `path` as cmd.exe takes it back, read from a file with set /p:
// on Windows its short name where that is all ASCII, else its name in the
// console's code page where that code page has all its letters; elsewhere
// `path` itself. False when `path` is no folder, or cmd could not be given
// its name.
[[nodiscard]] bool FolderForCommandPrompt(const std::string& path,
                                          std::string* out);

// This process's id, one of the things that make temporary names unique.
long ProcessId();

}  // namespace tovrand

#endif  // TOVRAND_BASE_PLATFORM_H_
