// Throughput of the database page cipher: one whole 4096-byte page per
// transfer, enciphered and deciphered, for every algorithm and mode; and the
// time an open spends deriving the key from a password.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "engine/crypto/crypto_names.h"
#include "engine/crypto/database_cipher.h"
#include "engine/crypto/key_derivation.h"

namespace {

using namespace dvx;

constexpr size_t kPageSize = 4096;

TDVXCryptoInfo RawKeyInfo(TDVXCryptoAlgorithm algorithm, TDVXCryptoMode mode) {
  TDVXCryptoInfo info;
  info.algorithm = algorithm;
  info.mode = mode;
  info.rawKey.assign(kMaxCipherKeyLength, 0x5A);
  return info;
}

void PageTransfer(benchmark::State& state, bool decrypt) {
  const auto algorithm = static_cast<TDVXCryptoAlgorithm>(state.range(0));
  const auto mode = static_cast<TDVXCryptoMode>(state.range(1));
  TDVXDatabaseCipher cipher(RawKeyInfo(algorithm, mode), nullptr);
  std::vector<uint8_t> page(kPageSize, 0x11), out(kPageSize);
  uint64_t position = 298;
  for (auto _ : state) {
    if (decrypt)
      cipher.Decrypt(position, page.data(), out.data(), kPageSize);
    else
      cipher.Encrypt(position, page.data(), out.data(), kPageSize);
    benchmark::DoNotOptimize(out.data());
    position += kPageSize;
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * kPageSize);
  state.SetLabel(std::string(CryptoAlgorithmName(algorithm)) + "/" +
                 std::string(CryptoModeName(mode)));
}

void BM_EncryptPage(benchmark::State& state) { PageTransfer(state, false); }
void BM_DecryptPage(benchmark::State& state) { PageTransfer(state, true); }

void AllAlgorithmsAndModes(benchmark::internal::Benchmark* b) {
  b->ArgNames({"algorithm", "mode"});
  for (int a = 1; a <= kCryptoAlgorithmLast; ++a)
    for (int m = 0; m <= kCryptoModeLast; ++m) b->Args({a, m});
}

BENCHMARK(BM_EncryptPage)->Apply(AllAlgorithmsAndModes);
BENCHMARK(BM_DecryptPage)->Apply(AllAlgorithmsAndModes);

// Building the cipher from a password, as every open of an encrypted
// database does once (PBKDF2, 100,000 iterations, plus the key schedule).
void BM_KeyDerivationPerOpen(benchmark::State& state) {
  const auto algorithm = static_cast<TDVXCryptoAlgorithm>(state.range(0));
  TDVXCryptoInfo info;
  info.algorithm = algorithm;
  info.mode = acmCTS;
  info.password = "Kennwort-1234";
  const std::vector<uint8_t> salt(kKeySaltSize, 0x33);
  for (auto _ : state) {
    TDVXDatabaseCipher cipher(info, salt.data());
    benchmark::DoNotOptimize(&cipher);
  }
  state.SetLabel(std::string(CryptoAlgorithmName(algorithm)));
}

BENCHMARK(BM_KeyDerivationPerOpen)
    ->ArgName("algorithm")
    ->DenseRange(1, kCryptoAlgorithmLast)
    ->Unit(benchmark::kMillisecond);

}  // namespace
