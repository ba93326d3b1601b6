// memory_floor: the least a run that holds its files whole in memory can
// do, as a baseline for timing tovrand. Run in a data directory, it reads
// FPools.txt, AlsTeams.txt and GETeams.txt whole into memory, writes the
// FPools bytes to a temporary file in Output, makes them reach the disk
// (fdatasync), renames the file over Output/FPools.txt and makes the rename
// reach the disk (fsync of Output), as tovrand does. No layout, no records,
// no checks beyond the calls' own results. Its buffers are allocated as
// tovrand's are, so that the two differ only in what tovrand does beyond
// holding the bytes. POSIX only.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "base/platform.h"

namespace {

struct Bytes {
  char* data = nullptr;
  size_t size = 0;
};

bool ReadWhole(const char* path, Bytes* out) {
  const int fd = open(path, O_RDONLY);
  if (fd < 0) return false;
  struct stat st;
  bool ok = fstat(fd, &st) == 0;
  if (ok) {
    out->size = static_cast<size_t>(st.st_size);
    out->data = static_cast<char*>(tovrand::AllocateFileBuffer(out->size + 1));
    ok = out->data != nullptr;
  }
  for (size_t done = 0; ok && done < out->size;) {
    const ssize_t got = read(fd, out->data + done, out->size - done);
    ok = got > 0;
    done += ok ? static_cast<size_t>(got) : 0;
  }
  close(fd);
  return ok;
}

// Writes the bytes and makes them reach the disk before the file is closed.
bool WriteWhole(const char* path, const Bytes& bytes) {
  const int fd = open(path, O_WRONLY | O_CREAT | O_TRUNC, 0666);
  if (fd < 0) return false;
  bool ok = true;
  for (size_t done = 0; ok && done < bytes.size;) {
    const ssize_t put = write(fd, bytes.data + done, bytes.size - done);
    ok = put > 0;
    done += ok ? static_cast<size_t>(put) : 0;
  }
  ok = ok && fdatasync(fd) == 0;
  return close(fd) == 0 && ok;
}

// Makes a rename in `folder` reach the disk.
bool SyncFolder(const char* folder) {
  const int fd = open(folder, O_RDONLY | O_DIRECTORY);
  if (fd < 0) return false;
  const bool ok = fsync(fd) == 0;
  return close(fd) == 0 && ok;
}

}  // namespace

int main() {
  Bytes fpools, alsteams, geteams;
  if (!ReadWhole("FPools.txt", &fpools) ||
      !ReadWhole("AlsTeams.txt", &alsteams) ||
      !ReadWhole("GETeams.txt", &geteams) ||
      !WriteWhole("Output/FPools.txt.floor", fpools) ||
      std::rename("Output/FPools.txt.floor", "Output/FPools.txt") != 0 ||
      !SyncFolder("Output")) {
    std::printf("memory_floor failed\n");
    return 1;
  }
  std::free(fpools.data);
  std::free(alsteams.data);
  std::free(geteams.data);
  return 0;
}
