#ifndef TOVRAND_TESTING_FILE_SIZE_LIMIT_H_
#define TOVRAND_TESTING_FILE_SIZE_LIMIT_H_

#include <signal.h>
#include <sys/resource.h>

// Limits the size of the files this process writes, as a disk that is
// nearly full, for as long as it lives. SIGXFSZ is ignored meanwhile, so a
// write past the limit fails instead of ending the process.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    getrlimit(RLIMIT_FSIZE, &saved_);
    const struct rlimit limit = {bytes, saved_.rlim_max};
    setrlimit(RLIMIT_FSIZE, &limit);
    saved_handler_ = signal(SIGXFSZ, SIG_IGN);
  }
  ~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &saved_);
    signal(SIGXFSZ, saved_handler_);
  }
  FileSizeLimit(const FileSizeLimit&) = delete;
  FileSizeLimit& operator=(const FileSizeLimit&) = delete;

 private:
  struct rlimit saved_;
  void (*saved_handler_)(int);
};

#endif  // TOVRAND_TESTING_FILE_SIZE_LIMIT_H_
