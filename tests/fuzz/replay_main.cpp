// Runs a fuzz target over saved inputs: every file named on the command line,
// and every file below every folder named there. Used by the corpus tests of
// ordinary builds, where no fuzzing engine is linked.
#include <algorithm>
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
void replay(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}
}  // namespace

int main(int argc, char** argv) {
  long count = 0;
  for (int i = 1; i < argc; i++) {
    const std::filesystem::path arg(argv[i]);
    std::error_code error;
    if (std::filesystem::is_directory(arg, error)) {
      std::vector<std::filesystem::path> files;
      for (const auto& entry : std::filesystem::recursive_directory_iterator(arg, error)) {
        if (entry.is_regular_file()) files.push_back(entry.path());
      }
      std::sort(files.begin(), files.end());  // the same order on every run
      for (const auto& file : files) {
        replay(file);
        count++;
      }
    } else if (std::filesystem::is_regular_file(arg, error)) {
      replay(arg);
      count++;
    } else {
      std::fprintf(stderr, "skipped %s: no such file or folder\n", argv[i]);
    }
  }
  std::printf("replayed %ld inputs\n", count);
  return 0;
}
