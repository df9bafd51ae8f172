// Block compression: zlib, bzip2 and PPM at modes 1, 5 and 9, compressing
// and decompressing a German text corpus of at least 1 MiB and a
// picture-like raster of about 0.9 MB, each as one buffer.
//
// Counters: `ratio` = compressed size / original size (lower is better);
// bytes_per_second counts original bytes.
//
// The text corpus is the reference texts under data/ (in the 8-bit code
// page the engine stores text in), topped up to 1 MiB with generated German
// prose when they are shorter; without data/ it is generated prose alone.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "engine/storage/compression/compressor.h"

namespace {

using namespace dvx;
using TBytes = std::vector<uint8_t>;

constexpr size_t kCorpusSize = 1u << 20;

// UTF-8 to the Western European ANSI code page: Latin-1 letters as they
// are, typographic dashes and quotes at their code page places.
void AppendAnsi(const std::string& utf8, TBytes& out) {
  for (size_t i = 0; i < utf8.size();) {
    const auto c = static_cast<uint8_t>(utf8[i]);
    uint32_t cp = c;
    size_t length = 1;
    if (c >= 0xF0) {
      length = 4;
    } else if (c >= 0xE0) {
      length = 3;
      if (i + 2 < utf8.size()) cp = ((c & 0x0F) << 12) | ((utf8[i + 1] & 0x3F) << 6) | (utf8[i + 2] & 0x3F);
    } else if (c >= 0xC0) {
      length = 2;
      if (i + 1 < utf8.size()) cp = ((c & 0x1F) << 6) | (utf8[i + 1] & 0x3F);
    }
    i += length;
    switch (cp) {
      case 0x2013: out.push_back(0x96); break;
      case 0x2014: out.push_back(0x97); break;
      case 0x201E: out.push_back(0x84); break;
      case 0x201C: out.push_back(0x93); break;
      case 0x2018: out.push_back(0x91); break;
      case 0x2019: out.push_back(0x92); break;
      case 0x2026: out.push_back(0x85); break;
      default: out.push_back(cp < 0x100 ? static_cast<uint8_t>(cp) : '?');
    }
  }
}

// Sentences put together from a word list with Zipf-like frequencies.
void AppendProse(size_t size, TBytes& out) {
  static const char* const kWords[] = {
      "die", "der", "und", "in", "das", "nicht", "mit", "bei", "ist", "sich", "auf", "ein", "eine", "dem",
      "den", "oder", "auch", "wenn", "nach", "durch", "schlimmer", "besser", "Kind", "Fieber", "Schmerzen",
      "Wärme", "Kälte", "Berührung", "nachts", "plötzlich", "heftig", "trocken", "Durst", "Übelkeit", "Husten",
      "Ohren", "Zähne", "Haut", "Bauch", "Kopf", "Hals", "Mittel", "Gabe", "Arzt", "Beschwerden", "Entzündung",
      "rot", "blass", "heiß", "unruhig", "weinerlich", "reizbar", "müde", "ängstlich", "Schweiß", "Schlaf",
      "Frösteln", "Erschütterung", "Bewegung", "Ruhe", "frische", "Luft", "Umschläge", "Milch", "Wasser",
      "stechend", "brennend", "pochend", "Seite", "getragen", "Zuwendung", "Geräusche", "Licht", "Zahnung",
      "Aufregung", "Kummer", "Schreck", "Ärger", "Erkältung", "Verdauung", "Durchfall", "Krämpfe", "Juckreiz",
  };
  std::mt19937 rng(20261209);
  std::vector<double> weights;
  for (size_t i = 0; i < std::size(kWords); ++i) weights.push_back(1.0 / static_cast<double>(i + 1));
  std::discrete_distribution<size_t> word(weights.begin(), weights.end());
  while (out.size() < size) {
    std::string sentence;
    const size_t length = 4 + rng() % 11;
    for (size_t w = 0; w < length; ++w) {
      std::string next = kWords[word(rng)];
      if (w == 0 && next[0] >= 'a' && next[0] <= 'z') next[0] = static_cast<char>(next[0] - 'a' + 'A');
      sentence += next + (w + 1 == length ? ". " : rng() % 7 == 0 ? ", " : " ");
    }
    AppendAnsi(sentence, out);
  }
}

const TBytes& GermanCorpus() {
  static const TBytes corpus = [] {
    TBytes out;
    const auto data = std::filesystem::path(__FILE__).parent_path().parent_path() / "data";
    std::vector<std::filesystem::path> files;
    if (std::filesystem::is_directory(data))
      for (const auto& entry : std::filesystem::recursive_directory_iterator(data))
        if (entry.is_regular_file() && entry.path().extension() == ".md") files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    for (const auto& file : files) {
      std::ifstream in(file, std::ios::binary);
      AppendAnsi(std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()), out);
    }
    if (out.size() < kCorpusSize) AppendProse(kCorpusSize, out);
    return out;
  }();
  return corpus;
}

// A 640 x 480 24-bit raster: sky gradient, a sun, hills, a striped label
// and sensor noise, as a scanned or drawn remedy picture holds.
const TBytes& PictureLikeRaster() {
  static const TBytes raster = [] {
    constexpr int kWidth = 640, kHeight = 480;
    TBytes out;
    out.reserve(kWidth * kHeight * 3);
    std::mt19937 rng(42);
    for (int y = 0; y < kHeight; ++y) {
      for (int x = 0; x < kWidth; ++x) {
        int r = 90 + y / 4, g = 140 + y / 6, b = 230 - y / 5;
        const double sun = std::hypot(x - 480.0, y - 110.0);
        if (sun < 60) r = 250, g = 220 - static_cast<int>(sun), b = 80;
        const double hill = 330 + 40 * std::sin(x / 70.0) + 15 * std::sin(x / 23.0);
        if (y > hill) r = 60 + (x * y) % 23, g = 130 + (y - static_cast<int>(hill)) / 3, b = 50;
        if (y > 420 && x > 40 && x < 600) r = g = b = ((x / 6 + y / 9) % 3 == 0) ? 20 : 235;
        const int noise = static_cast<int>(rng() % 7) - 3;
        out.push_back(static_cast<uint8_t>(std::clamp(b + noise, 0, 255)));
        out.push_back(static_cast<uint8_t>(std::clamp(g + noise, 0, 255)));
        out.push_back(static_cast<uint8_t>(std::clamp(r + noise, 0, 255)));
      }
    }
    return out;
  }();
  return raster;
}

const TBytes& Input(int64_t which) { return which == 0 ? GermanCorpus() : PictureLikeRaster(); }

std::string Label(int64_t algorithm, int64_t mode, int64_t input) {
  return std::string(CompressionAlgorithmName(static_cast<TCompressionAlgorithm>(algorithm))) + "/" +
         std::to_string(mode) + (input == 0 ? " text" : " picture");
}

void BM_Compress(benchmark::State& state) {
  const auto algorithm = static_cast<uint8_t>(state.range(0));
  const auto mode = static_cast<uint8_t>(state.range(1));
  const TBytes& input = Input(state.range(2));
  size_t packed = 0;
  for (auto _ : state) {
    const TBytes out = CompressBuffer(algorithm, mode, input);
    packed = out.size();
    benchmark::DoNotOptimize(out.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * input.size()));
  state.counters["ratio"] = static_cast<double>(packed) / static_cast<double>(input.size());
  state.SetLabel(Label(state.range(0), state.range(1), state.range(2)));
}

void BM_Decompress(benchmark::State& state) {
  const auto algorithm = static_cast<uint8_t>(state.range(0));
  const auto mode = static_cast<uint8_t>(state.range(1));
  const TBytes& input = Input(state.range(2));
  const TBytes packed = CompressBuffer(algorithm, mode, input);
  for (auto _ : state) {
    const TBytes out = DecompressBuffer(algorithm, packed, input.size());
    benchmark::DoNotOptimize(out.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * input.size()));
  state.counters["ratio"] = static_cast<double>(packed.size()) / static_cast<double>(input.size());
  state.SetLabel(Label(state.range(0), state.range(1), state.range(2)));
}

void AlgorithmsModesInputs(benchmark::internal::Benchmark* b) {
  b->ArgNames({"algorithm", "mode", "input"});
  for (int input : {0, 1})
    for (int algorithm : {caZLIB, caBZIP, caPPM})
      for (int mode : {1, 5, 9}) b->Args({algorithm, mode, input});
  b->Unit(benchmark::kMillisecond);
}

BENCHMARK(BM_Compress)->Apply(AlgorithmsModesInputs);
BENCHMARK(BM_Decompress)->Apply(AlgorithmsModesInputs);

}  // namespace
