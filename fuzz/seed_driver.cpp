// Runs a fuzz target's entry point outside libFuzzer: every file of the
// folders (or files) given on the command line, then mutations of each
// (bytes flipped, overwritten with boundary values, the input cut short),
// drawn from a fixed seed so every run feeds the same inputs. Linked into
// the ordinary and sanitizer builds, it keeps the decoders' hostile-input
// paths under test without a fuzzing run.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

constexpr int kMutationsPerSeed = 48;

std::vector<uint8_t> ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<uint8_t> Mutate(const std::vector<uint8_t>& seed, std::mt19937& random) {
  std::vector<uint8_t> bytes = seed;
  if (bytes.empty()) return {static_cast<uint8_t>(random())};
  const int edits = 1 + static_cast<int>(random() % 8);
  for (int i = 0; i < edits; ++i) {
    const size_t at = random() % bytes.size();
    switch (random() % 4) {
      case 0: bytes[at] ^= static_cast<uint8_t>(1u << (random() % 8)); break;
      case 1: bytes[at] = static_cast<uint8_t>(random()); break;
      case 2: {
        static const uint8_t kBoundaries[] = {0x00, 0x01, 0x7F, 0x80, 0xFE, 0xFF};
        bytes[at] = kBoundaries[random() % sizeof kBoundaries];
        break;
      }
      default: bytes.resize(at); if (bytes.empty()) return bytes; break;
    }
  }
  return bytes;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::filesystem::path> files;
  for (int i = 1; i < argc; ++i) {
    const std::filesystem::path arg(argv[i]);
    if (std::filesystem::is_directory(arg)) {
      for (const auto& entry : std::filesystem::directory_iterator(arg))
        // Dot files are the build's bookkeeping (a folder's stamp), not seeds.
        if (entry.is_regular_file() && entry.path().filename().string()[0] != '.') files.push_back(entry.path());
    } else {
      files.push_back(arg);
    }
  }
  if (files.empty()) {
    std::fprintf(stderr, "no seed inputs given\n");
    return 1;
  }
  std::sort(files.begin(), files.end());
  std::mt19937 random(20261209);
  size_t runs = 0;
  for (const auto& file : files) {
    const std::vector<uint8_t> seed = ReadFile(file);
    LLVMFuzzerTestOneInput(seed.data(), seed.size());
    ++runs;
    for (int m = 0; m < kMutationsPerSeed; ++m) {
      const std::vector<uint8_t> input = Mutate(seed, random);
      LLVMFuzzerTestOneInput(input.data(), input.size());
      ++runs;
    }
  }
  std::printf("%zu inputs from %zu seeds\n", runs, files.size());
  return 0;
}
