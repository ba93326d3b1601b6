// size_limited: runs a command as if the disk filled up after a number of
// bytes of each file it writes.
//   size_limited BYTES command [args...]
// Sets the file size limit (RLIMIT_FSIZE) to BYTES and ignores SIGXFSZ, then
// runs the command in this process. A write that would pass the limit then
// writes what still fits and fails with EFBIG, as on a full disk, instead of
// killing the command.

#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: size_limited BYTES command [args...]\n");
    return 2;
  }
  char* end = nullptr;
  const unsigned long long bytes = std::strtoull(argv[1], &end, 10);
  if (end == argv[1] || *end != '\0') {
    std::fprintf(stderr, "size_limited: not a byte count: %s\n", argv[1]);
    return 2;
  }
  const struct rlimit limit = {static_cast<rlim_t>(bytes),
                               static_cast<rlim_t>(bytes)};
  if (setrlimit(RLIMIT_FSIZE, &limit) != 0 || signal(SIGXFSZ, SIG_IGN) == SIG_ERR) {
    std::perror("size_limited");
    return 2;
  }
  execvp(argv[2], argv + 2);
  std::perror("size_limited: cannot run the command");
  return 127;
}
