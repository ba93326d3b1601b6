// sanitizer_canary: a program with one deliberate fault, built only with the
// sanitizers, to show that a sanitizer report fails a test run. It prints the
// program's success line first, so a run that went unnoticed would look
// like a success.
//   sanitizer_canary overflow|signed|leak

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

int main(int argc, char** argv) {
  std::printf("New FPools.txt has been placed in Output folder\n");
  std::fflush(stdout);
  const char* fault = argc > 1 ? argv[1] : "";
  if (std::strcmp(fault, "overflow") == 0) {
    // One byte past a heap block.
    char* block = static_cast<char*>(std::malloc(8));
    volatile int index = 8;
    block[index] = 1;
    std::free(block);
  } else if (std::strcmp(fault, "signed") == 0) {
    volatile int value = INT_MAX;
    value = value + 1;
  } else if (std::strcmp(fault, "leak") == 0) {
    void* volatile lost = std::malloc(64);
    if (lost == nullptr) return 3;
    lost = nullptr;
  }
  return 0;
}
