#ifndef TOVRAND_TESTING_FILE_BUFFER_SHORTAGE_H_
#define TOVRAND_TESTING_FILE_BUFFER_SHORTAGE_H_

#include <cstddef>

#include "base/platform.h"

// Makes memory run out for the buffers that whole files are read into
// (base/platform.h), for as long as it lives: for the `nth` buffer asked for
// (counted from 1; 0: none), and for every growth of one when `no_growth`.
// One at a time.
class FileBufferShortage {
 public:
  FileBufferShortage(int nth, bool no_growth) {
    asked_ = 0;
    nth_ = nth;
    no_growth_ = no_growth;
    tovrand::SetFileBufferHook(&MayHave);
  }
  ~FileBufferShortage() { tovrand::SetFileBufferHook(nullptr); }
  FileBufferShortage(const FileBufferShortage&) = delete;
  FileBufferShortage& operator=(const FileBufferShortage&) = delete;

 private:
  static bool MayHave(size_t, bool growing) {
    if (growing) return !no_growth_;
    return ++asked_ != nth_;
  }

  static inline int asked_ = 0;
  static inline int nth_ = 0;
  static inline bool no_growth_ = false;
};

#endif  // TOVRAND_TESTING_FILE_BUFFER_SHORTAGE_H_
