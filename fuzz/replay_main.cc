// Runs a fuzz target's checks on given inputs without libFuzzer, so that
// any build, the sanitizer build included, checks the seed corpus and the
// inputs that once found a fault.
//   fuzz_X_replay PATH...
// Each file, and each file in a directory, is one input. All are read
// before the first runs, since a target may change the current directory.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

namespace fs = std::filesystem;

bool ReadInto(const fs::path& path, std::vector<std::string>* inputs) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  inputs->emplace_back(std::istreambuf_iterator<char>(in),
                       std::istreambuf_iterator<char>());
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> inputs;
  for (int i = 1; i < argc; ++i) {
    std::vector<fs::path> files;
    if (fs::is_directory(argv[i])) {
      for (const auto& entry : fs::directory_iterator(argv[i]))
        files.push_back(entry.path());
    } else {
      files.push_back(argv[i]);
    }
    for (const fs::path& file : files) {
      if (!ReadInto(file, &inputs)) {
        std::printf("cannot read %s\n", file.string().c_str());
        return 1;
      }
    }
  }
  if (inputs.empty()) {
    std::printf("no inputs\n");
    return 1;
  }
  for (const std::string& input : inputs) {
    LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(input.data()),
                           input.size());
  }
  std::printf("%zu inputs passed\n", inputs.size());
  return 0;
}
