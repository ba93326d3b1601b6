#include "base/file_io.h"

#include <cstdint>
#include <cstdio>
#include <cstring>

#include "base/platform.h"

namespace tovrand {

namespace {

// Closes a FILE* on every path out of a function.
struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

constexpr size_t kChunk = 1 << 16;

}  // namespace

ReadResult ReadOpenFile(std::FILE* file, const FileStamp& opened,
                        size_t max_size, ByteBuffer* out) {
  *out = ByteBuffer();
  // Size the buffer from the file's size at opening, so that it is read
  // with one allocation; grow it while there is more to read (a pseudo file
  // that seemed empty, or a file that grows, which then fails).
  const int64_t known = opened.size;
  if (known > 0 && static_cast<uint64_t>(known) > max_size)
    return ReadResult::kTooLarge;
  size_t capacity = known > 0 ? static_cast<size_t>(known) + 1 : kChunk;
  ByteBuffer buffer;
  buffer.bytes.reset(static_cast<unsigned char*>(AllocateFileBuffer(capacity)));
  if (!buffer.bytes) return ReadResult::kNoMemory;

  for (;;) {
    if (buffer.size == capacity) {
      if (capacity > max_size) return ReadResult::kTooLarge;
      size_t grown = capacity < SIZE_MAX / 2 ? capacity * 2 : SIZE_MAX;
      void* p = GrowFileBuffer(buffer.bytes.get(), grown);
      if (p == nullptr) return ReadResult::kNoMemoryToGrow;
      buffer.bytes.release();
      buffer.bytes.reset(static_cast<unsigned char*>(p));
      capacity = grown;
    }
    const size_t wanted = capacity - buffer.size;
    const size_t got =
        std::fread(buffer.bytes.get() + buffer.size, 1, wanted, file);
    buffer.size += got;
    if (got < wanted) {
      // A short read is the end of the file or an error; an error must not
      // pass for the end, or a truncated file would be taken as whole.
      if (std::ferror(file)) return ReadResult::kReadError;
      break;
    }
  }
  if (buffer.size > max_size) return ReadResult::kTooLarge;
  // A file cut short, grown or rewritten while it was read would otherwise
  // pass for whole: fewer bytes, or a mix of old and new ones.
  FileStamp now;
  if (!StampOf(file, &now)) return ReadResult::kReadError;
  if (now != opened ||
      (known > 0 && buffer.size != static_cast<uint64_t>(known)))
    return ReadResult::kChanged;
  if (buffer.size == 0) buffer.bytes.reset();
  *out = std::move(buffer);
  return ReadResult::kOk;
}

ReadResult ReadWholeFile(const std::string& path, size_t max_size,
                         ByteBuffer* out) {
  *out = ByteBuffer();
  FileStamp opened;
  FilePtr file(OpenRegularFile(path, &opened));
  if (!file) return ReadResult::kCannotOpen;
  return ReadOpenFile(file.get(), opened, max_size, out);
}

ReadResult ReadInputFile(const std::string& path, ByteBuffer* out) {
  return ReadWholeFile(path, kMaxInputSize, out);
}

std::string ReadFailureLine(ReadResult result, const std::string& path) {
  switch (result) {
    case ReadResult::kTooLarge:
      return path + " is too large: more than 2147483647 bytes";
    case ReadResult::kNoMemory:
      return "malloc failed";
    case ReadResult::kNoMemoryToGrow:
      return "realloc failed";
    case ReadResult::kChanged:
      return path + " changed while it was read";
    case ReadResult::kOk:
    case ReadResult::kCannotOpen:
    case ReadResult::kReadError:
      break;
  }
  return "Cannot open " + path;
}

}  // namespace tovrand
